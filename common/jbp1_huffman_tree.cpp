#include "common/jbp1_huffman_tree.h"

JbpLowestPair FindTwoLowest(const std::uint64_t* weights, const bool* joined, int count) {
  JbpLowestPair pair;
  for (int i = 0; i < count; ++i) {
    if (joined[i]) continue;
    if (pair.first == kJbpNoNode || weights[i] < weights[pair.first]) {
      pair.second = pair.first;
      pair.first = i;
    } else if (pair.second == kJbpNoNode || weights[i] < weights[pair.second]) {
      pair.second = i;
    }
  }
  return pair;
}

int BuildHuffmanTree(int n, const std::uint32_t* counts, JbpHuffmanTree& tree) {
  std::uint64_t weights[JbpHuffmanTree::kMaxNodes];
  bool joined[JbpHuffmanTree::kMaxNodes] = {};
  for (int i = 0; i < n; ++i) weights[i] = counts[i];
  tree = JbpHuffmanTree{};
  tree.leafCount = n;
  int next = n;
  for (;;) {
    const JbpLowestPair pair = FindTwoLowest(weights, joined, next);
    if (pair.second == kJbpNoNode) break;
    tree.child[0][next] = static_cast<std::int16_t>(pair.first);
    tree.child[1][next] = static_cast<std::int16_t>(pair.second);
    tree.parent[pair.first] = static_cast<std::int16_t>(next);
    tree.parent[pair.second] = static_cast<std::int16_t>(-next);
    weights[next] = weights[pair.first] + weights[pair.second];
    joined[pair.first] = joined[pair.second] = true;
    ++next;
  }
  tree.nodeCount = next;
  return next;
}

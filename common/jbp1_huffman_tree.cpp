#include "common/jbp1_huffman_tree.h"

#include <algorithm>

namespace {

// The node queues of one build: symbols by (weight, index), then inner
// nodes in the order they are made, which is also by (weight, index).
class NodeQueues {
 public:
  NodeQueues(int n, const std::uint32_t* counts) : leafCount_(n), innerNext_(n), innerEnd_(n) {
    for (int i = 0; i < n; ++i) {
      weights_[i] = counts[i];
      leaves_[i] = static_cast<std::int16_t>(i);
    }
    std::sort(leaves_, leaves_ + n,
              [&](int a, int b) { return weights_[a] < weights_[b] || (weights_[a] == weights_[b] && a < b); });
  }

  int Size() const { return (leafCount_ - leafNext_) + (innerEnd_ - innerNext_); }

  // The lowest node not yet joined; on equal weights a symbol's index is
  // below every inner node's.
  int TakeLowest() {
    const bool leafLeft = leafNext_ < leafCount_;
    if (leafLeft && (innerNext_ == innerEnd_ || weights_[leaves_[leafNext_]] <= weights_[innerNext_]))
      return leaves_[leafNext_++];
    return innerNext_++;
  }

  void AddInner(std::uint64_t weight) { weights_[innerEnd_++] = weight; }
  std::uint64_t Weight(int node) const { return weights_[node]; }

 private:
  std::uint64_t weights_[JbpHuffmanTree::kMaxNodes];
  std::int16_t leaves_[kJbpAcSymbols];
  int leafCount_;
  int leafNext_ = 0;
  int innerNext_;
  int innerEnd_;
};

}  // namespace

int BuildHuffmanTree(int n, const std::uint32_t* counts, JbpHuffmanTree& tree) {
  NodeQueues queues(n, counts);
  tree = JbpHuffmanTree{};
  tree.leafCount = n;
  int next = n;
  while (queues.Size() >= 2) {
    const int first = queues.TakeLowest();
    const int second = queues.TakeLowest();
    tree.child[0][next] = static_cast<std::int16_t>(first);
    tree.child[1][next] = static_cast<std::int16_t>(second);
    tree.parent[first] = static_cast<std::int16_t>(next);
    tree.parent[second] = static_cast<std::int16_t>(-next);
    queues.AddInner(queues.Weight(first) + queues.Weight(second));
    ++next;
  }
  tree.nodeCount = next;
  return next;
}

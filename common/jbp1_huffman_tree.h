// The Huffman trees of a "JBP1" record. Writer and reader build them from the
// same stored counts with the same rule, so no code table is stored: join the
// two lowest-weight nodes not yet joined (ties to the lowest index, so symbols
// win over inner nodes and older inner nodes over newer ones), the lowest
// taking bit 0. Zero counts take part, so every symbol has a code and n
// symbols always give 2n - 1 nodes. Code lengths are not limited.
#pragma once

#include <cstdint>

#include "common/jbp1_format.h"

struct JbpHuffmanTree {
  static constexpr int kMaxNodes = 2 * kJbpAcSymbols - 1;
  // A path from a leaf to the root never has more steps than inner nodes.
  static constexpr int kMaxCodeLength = kJbpAcSymbols - 1;

  int leafCount = 0;
  int nodeCount = 0;
  // Parent of each node: its index for a bit-0 child, minus its index for a
  // bit-1 child, 0 for the root.
  std::int16_t parent[kMaxNodes] = {};
  // Children of each inner node (indexes leafCount and up), for bit 0 and 1.
  std::int16_t child[2][kMaxNodes] = {};

  int Root() const { return nodeCount - 1; }
};

// Builds the tree of n symbols (16 or 256) from their counts. Weights are
// 64-bit, so any uint32 counts give a complete tree. Returns the number of
// nodes (2n - 1); the root is the last of them. Joined nodes come out in
// order of weight, so the lowest pair is always at the heads of two queues:
// the symbols sorted by weight and index, and the inner nodes as made.
int BuildHuffmanTree(int n, const std::uint32_t* counts, JbpHuffmanTree& tree);

// A doubly linked list of local-heap nodes, each owning up to two local-heap
// buffers and carrying one 32-bit value; the message window keeps its text
// history in one.
#pragma once

#include <cstdint>

struct EntryNode {
  EntryNode* previous = nullptr;
  EntryNode* next = nullptr;
  void* firstBuffer = nullptr;   // local heap or null
  void* secondBuffer = nullptr;  // local heap or null
  std::uint32_t value = 0;
};

struct EntryList {
  EntryNode* first = nullptr;
  std::int32_t limit = 0;

  static void Init(EntryList* list);
  // Frees every node with its two buffers; nodes must come from LocalAlloc.
  static void Clear(EntryList* list);
  // index 0 (or less) is the last node, 1 the one before it, ...; returns the
  // node's first buffer and its value, or null past the start or when empty.
  static void* GetFromEnd(const EntryList* list, std::int32_t index, std::uint32_t* value);
};

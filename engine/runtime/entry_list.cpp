#include "engine/runtime/entry_list.h"

#include "host/memory/memory_api.h"

void EntryList::Init(EntryList* list) {
  list->first = nullptr;
  list->limit = 64;
}

void EntryList::Clear(EntryList* list) {
  EntryNode* node = list->first;
  while (node) {
    EntryNode* next = node->next;
    LocalFree(node->firstBuffer);
    LocalFree(node->secondBuffer);
    node->~EntryNode();
    LocalFree(node);
    node = next;
  }
  list->first = nullptr;
}

void* EntryList::GetFromEnd(const EntryList* list, std::int32_t index, std::uint32_t* value) {
  EntryNode* node = list->first;
  if (!node) return nullptr;
  while (node->next) node = node->next;
  for (std::int32_t step = 0; step < index; ++step) {
    node = node->previous;
    if (!node) return nullptr;
  }
  if (value) *value = node->value;
  return node->firstBuffer;
}

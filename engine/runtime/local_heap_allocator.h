// A standard allocator over the local heap: containers of the engine then run
// out of memory where the platform's allocator does (and where tests make it
// fail), as std::bad_alloc their owners catch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "host/memory/memory_api.h"

template <class T>
struct LocalHeapAllocator {
  using value_type = T;

  LocalHeapAllocator() = default;
  template <class U>
  LocalHeapAllocator(const LocalHeapAllocator<U>&) {}

  T* allocate(std::size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = LocalAlloc(LMEM_FIXED, count * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, std::size_t) { LocalFree(block); }

  friend bool operator==(const LocalHeapAllocator&, const LocalHeapAllocator&) { return true; }
};

// The programs' global operator new and delete, served by the small-block
// heap. Compiled into the executables only (never into a library), and left
// out of sanitizer builds, whose own allocator checks every block.
#include <cstddef>
#include <new>

#include "support/out_of_memory.h"
#include "support/small_heap.h"

namespace {

// Retries through the new-handler while there is one; null without one.
void* allocate_or_null(std::size_t size) noexcept {
  for (;;) {
    if (void* p = tessaro::small_heap_alloc(size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) return nullptr;
    handler();
  }
}

// The programs never unwind from an exhausted heap: without a new-handler
// (before main has set one) the run stops as the handler would stop it.
void* allocate(std::size_t size) {
  if (void* p = allocate_or_null(size)) return p;
  tessaro::stop_out_of_memory();
}

}  // namespace

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate_or_null(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate_or_null(size);
}
void operator delete(void* p) noexcept {
  tessaro::small_heap_free(p);
}
void operator delete[](void* p) noexcept {
  tessaro::small_heap_free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  tessaro::small_heap_free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  tessaro::small_heap_free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  tessaro::small_heap_free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  tessaro::small_heap_free(p);
}

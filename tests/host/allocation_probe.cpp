#include "allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace kelvora_test {
namespace {
std::atomic<size_t> largest{0};
}  // namespace

void ResetLargestAllocation() { largest = 0; }
size_t LargestAllocation() { return largest; }

}  // namespace kelvora_test

void* operator new(size_t size) {
  size_t seen = kelvora_test::largest.load();
  while (size > seen && !kelvora_test::largest.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

void* operator new[](size_t size) { return ::operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

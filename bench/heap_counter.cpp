// Replaces the global allocation functions with counting ones. Each block carries a header
// with its size (and, for over-aligned blocks, the start of the underlying allocation) so that
// every form of operator delete can subtract what its operator new added.
#include "heap_counter.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

constexpr size_t kHeader = alignof(std::max_align_t);
static_assert(kHeader >= 2 * sizeof(size_t));

void Count(size_t size) {
  const size_t live = g_live.fetch_add(size, std::memory_order_relaxed) + size;
  size_t peak = g_peak.load(std::memory_order_relaxed);
  while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
}

void* Allocate(size_t size, size_t alignment) {
  // Ordinary blocks: the header sits in the first kHeader bytes. Over-aligned blocks also
  // leave room to move the start up to the next aligned address.
  alignment = std::max(alignment, kHeader);
  const size_t slack = alignment > kHeader ? alignment : 0;
  const size_t total = size + slack + kHeader;
  if (total < size) return nullptr;
  auto* raw = static_cast<unsigned char*>(std::malloc(total));
  if (!raw) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(raw) + kHeader;
  auto* user = reinterpret_cast<unsigned char*>((start + alignment - 1) & ~(uintptr_t(alignment) - 1));
  auto* header = reinterpret_cast<size_t*>(user - 2 * sizeof(size_t));
  header[0] = size;
  header[1] = static_cast<size_t>(user - raw);
  Count(size);
  return user;
}

void Release(void* pointer) {
  if (!pointer) return;
  auto* user = static_cast<unsigned char*>(pointer);
  const auto* header = reinterpret_cast<const size_t*>(user - 2 * sizeof(size_t));
  g_live.fetch_sub(header[0], std::memory_order_relaxed);
  std::free(user - header[1]);
}

void* AllocateOrThrow(size_t size, size_t alignment) {
  void* p = Allocate(size ? size : 1, alignment);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace heap_counter {
size_t LiveBytes() { return g_live.load(std::memory_order_relaxed); }
size_t PeakBytes() { return g_peak.load(std::memory_order_relaxed); }
void ResetPeak() { g_peak.store(g_live.load(std::memory_order_relaxed), std::memory_order_relaxed); }
}  // namespace heap_counter

void* operator new(size_t size) { return AllocateOrThrow(size, kHeader); }
void* operator new[](size_t size) { return AllocateOrThrow(size, kHeader); }
void* operator new(size_t size, std::align_val_t a) { return AllocateOrThrow(size, static_cast<size_t>(a)); }
void* operator new[](size_t size, std::align_val_t a) { return AllocateOrThrow(size, static_cast<size_t>(a)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size ? size : 1, kHeader); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size ? size : 1, kHeader); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

// Under AddressSanitizer its allocator reports every allocation and free
// through hooks; elsewhere the global operator new and delete are replaced
// here (the editor allocates through them alone).
#include "tests/editor_fuzz/memory_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BW_METER_HOOKS 1
#endif
#endif

#if BW_METER_HOOKS
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace bwfuzz {

namespace {

std::atomic<size_t> live{0}, peak{0};

void Count(size_t n) {
    const size_t now = live.fetch_add(n, std::memory_order_relaxed) + n;
    size_t p = peak.load(std::memory_order_relaxed);
    while (now > p && !peak.compare_exchange_weak(p, now, std::memory_order_relaxed)) {
    }
}

void Uncount(size_t n) { live.fetch_sub(n, std::memory_order_relaxed); }

#if BW_METER_HOOKS
void OnMalloc(const volatile void*, size_t size) { Count(size); }
void OnFree(const volatile void* p) {
    if (p) Uncount(__sanitizer_get_allocated_size(const_cast<const void*>(p)));
}
const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
#else
const bool installed = true;

void* Allocate(size_t n, size_t align = 0) {
    void* p = align > alignof(std::max_align_t) ? std::aligned_alloc(align, (n + align - 1) / align * align)
                                                : std::malloc(n ? n : 1);
    if (p) Count(malloc_usable_size(p));
    return p;
}
void* AllocateOrThrow(size_t n, size_t align = 0) {
    if (void* p = Allocate(n, align)) return p;
    throw std::bad_alloc();
}
void Free(void* p) {
    if (!p) return;
    Uncount(malloc_usable_size(p));
    std::free(p);
}
#endif

}  // namespace

size_t LiveBytes() { return live.load(std::memory_order_relaxed); }
size_t PeakBytes() { return peak.load(std::memory_order_relaxed); }
void RestartPeak() { peak.store(live.load(std::memory_order_relaxed), std::memory_order_relaxed); }
bool MeterWorks() { return installed; }

}  // namespace bwfuzz

#if !BW_METER_HOOKS
using bwfuzz::AllocateOrThrow;
void* operator new(size_t n) { return AllocateOrThrow(n); }
void* operator new[](size_t n) { return AllocateOrThrow(n); }
void* operator new(size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<size_t>(a)); }
void* operator new[](size_t n, std::align_val_t a) { return AllocateOrThrow(n, static_cast<size_t>(a)); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return bwfuzz::Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return bwfuzz::Allocate(n); }
void operator delete(void* p) noexcept { bwfuzz::Free(p); }
void operator delete[](void* p) noexcept { bwfuzz::Free(p); }
void operator delete(void* p, size_t) noexcept { bwfuzz::Free(p); }
void operator delete[](void* p, size_t) noexcept { bwfuzz::Free(p); }
void operator delete(void* p, std::align_val_t) noexcept { bwfuzz::Free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { bwfuzz::Free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { bwfuzz::Free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { bwfuzz::Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { bwfuzz::Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { bwfuzz::Free(p); }
#endif

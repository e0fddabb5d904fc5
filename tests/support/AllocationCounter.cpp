#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h>
#endif

// Under AddressSanitizer or ThreadSanitizer the sanitizer owns malloc and operator new (a
// replacement would run before the sanitizer starts): the counter then counts through the
// sanitizer allocator's hook, which sees every allocation of either kind.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VULPANE_SANITIZER_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VULPANE_SANITIZER_ALLOCATOR 1
#endif

#if defined(VULPANE_SANITIZER_ALLOCATOR)
#include <sanitizer/allocator_interface.h>
#endif

namespace {

std::atomic<long long> gAllocations{0};

void Count() {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
}

#if defined(__GLIBC__) || defined(VULPANE_SANITIZER_ALLOCATOR)
constexpr bool kCountsMalloc = true;
#else
constexpr bool kCountsMalloc = false;
#endif

#if !defined(VULPANE_SANITIZER_ALLOCATOR)
void* Allocate(std::size_t size) {
    if (!kCountsMalloc) Count(); // otherwise malloc itself counts
    void* p = std::malloc(size ? size : 1);
    return p;
}

void* AllocateAligned(std::size_t size, std::size_t alignment) {
    if (alignment < sizeof(void*)) alignment = sizeof(void*);
    size = (size + alignment - 1) / alignment * alignment;
#if defined(_WIN32)
    Count();
    return _aligned_malloc(size ? size : alignment, alignment);
#else
    if (!kCountsMalloc) Count();
    return std::aligned_alloc(alignment, size ? size : alignment);
#endif
}

void FreeAligned(void* p) {
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}
#endif

} // namespace

#if defined(VULPANE_SANITIZER_ALLOCATOR)
namespace {
void CountHook(const volatile void*, std::size_t) {
    Count();
}
void IgnoreFree(const volatile void*) {}
[[maybe_unused]] const int gHookInstalled = __sanitizer_install_malloc_and_free_hooks(CountHook, IgnoreFree);
} // namespace
#endif

AllocationCounter::AllocationCounter() : start(Total()) {}
long long AllocationCounter::Allocations() const {
    return Total() - start;
}
void AllocationCounter::Restart() {
    start = Total();
}
long long AllocationCounter::Total() {
    return gAllocations.load(std::memory_order_relaxed);
}
bool AllocationCounter::CountsMalloc() {
    return kCountsMalloc;
}

#if !defined(VULPANE_SANITIZER_ALLOCATOR)
// ---- operator new / delete ----

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

void* operator new(std::size_t size, std::align_val_t a) {
    if (void* p = AllocateAligned(size, static_cast<std::size_t>(a))) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t a) {
    if (void* p = AllocateAligned(size, static_cast<std::size_t>(a))) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    FreeAligned(p);
}

// ---- the malloc family (glibc lets a program interpose these) ----

#if defined(__GLIBC__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size) {
    Count();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Count();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
    Count();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    Count();
    void* p = __libc_memalign(alignment, size);
    if (!p) return 12; // ENOMEM
    *out = p;
    return 0;
}
}
#endif
#endif // !VULPANE_SANITIZER_ALLOCATOR

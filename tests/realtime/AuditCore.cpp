// libvulpane-rt-audit.so: preloaded into a host program (LD_PRELOAD), it interposes the heap, file,
// folder, console, lock, wait and sleep functions of the C and C++ runtimes (AuditHooks.cpp). A call
// made on a thread while the driver has marked it as in audio (vulpane_audit_enter/leave) is counted
// and its call site kept: the kind of call, the step the driver named, and a short backtrace taken
// into preallocated storage. The report (AuditReport.cpp; symbols resolved then, never inside a
// hook) comes from vulpane_audit_report, or at exit when the driver never asked; an unasked report
// with hits ends the program with 3.
//
// This file holds the library's state: the next definitions (dlsym(RTLD_NEXT) at load), the static
// buffer dlsym's own allocations come from, the marked thread and the call-site table.
#include "AudioThreadAudit.h"
#include "AuditInternals.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <string.h>
#include <unistd.h>

// Nothing of the library but its hooks and the driver's interface is exported.
#pragma GCC visibility push(hidden)
namespace audit {

const char* const kCallNames[kCallCount] = {
#define AUDIT_NAME(id, name, kind) name,
    AUDIT_CALLS(AUDIT_NAME)
#undef AUDIT_NAME
};
const char* const kCallKinds[kCallCount] = {
#define AUDIT_KIND(id, name, kind) kind,
    AUDIT_CALLS(AUDIT_KIND)
#undef AUDIT_KIND
};

#define AUDIT_DEFINE(name, ret, ...) ret (*real_##name)(__VA_ARGS__) = nullptr;
AUDIT_NEXT(AUDIT_DEFINE)
#undef AUDIT_DEFINE

bool resolved = false;

namespace {
// Allocations made while dlsym resolves the next definitions.
alignas(64) unsigned char bootstrap[64 * 1024];
size_t bootstrapUsed = 0;
bool resolving = false;

template <class F> void Next(F& slot, const char* name) {
    slot = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
} // namespace

bool FromBootstrap(const void* p) {
    return p >= static_cast<const void*>(bootstrap) &&
           p < static_cast<const void*>(bootstrap + sizeof bootstrap);
}

void* BootstrapAlloc(size_t size, size_t alignment) {
    size_t at = (bootstrapUsed + 16 + alignment - 1) / alignment * alignment;
    if (at + size > sizeof bootstrap) return nullptr;
    bootstrapUsed = at + size;
    memcpy(bootstrap + at - sizeof(size_t), &size, sizeof(size_t));
    return bootstrap + at;
}

size_t BootstrapSize(const void* p) {
    size_t size;
    memcpy(&size, static_cast<const unsigned char*>(p) - sizeof(size_t), sizeof(size_t));
    return size;
}

void Resolve() {
    if (resolved || resolving) return;
    resolving = true;
    Next(real_malloc, "malloc");
    Next(real_calloc, "calloc");
    Next(real_realloc, "realloc");
    Next(real_free, "free");
    Next(real_posix_memalign, "posix_memalign");
    Next(real_aligned_alloc, "aligned_alloc");
    Next(real_memalign, "memalign");
    Next(real_valloc, "valloc");
    Next(real_open, "open");
    Next(real_open64, "open64");
    Next(real_openat, "openat");
    Next(real_openat64, "openat64");
    Next(real_creat, "creat");
    Next(real_close, "close");
    Next(real_read, "read");
    Next(real_write, "write");
    Next(real_pread, "pread");
    Next(real_pread64, "pread64");
    Next(real_pwrite, "pwrite");
    Next(real_pwrite64, "pwrite64");
    Next(real_readv, "readv");
    Next(real_writev, "writev");
    Next(real_fopen, "fopen");
    Next(real_fopen64, "fopen64");
    Next(real_fclose, "fclose");
    Next(real_fread, "fread");
    Next(real_fwrite, "fwrite");
    Next(real_fgets, "fgets");
    Next(real_fputs, "fputs");
    Next(real_puts, "puts");
    Next(real_vfprintf, "vfprintf");
    Next(real_fflush, "fflush");
    Next(real_stat, "stat");
    Next(real_stat64, "stat64");
    Next(real_lstat, "lstat");
    Next(real_lstat64, "lstat64");
    Next(real_fstat, "fstat");
    Next(real_fstat64, "fstat64");
    Next(real_fstatat, "fstatat");
    Next(real_fstatat64, "fstatat64");
    Next(real_statx, "statx");
    Next(real_access, "access");
    Next(real_opendir, "opendir");
    Next(real_readdir, "readdir");
    Next(real_readdir64, "readdir64");
    Next(real_closedir, "closedir");
    Next(real_mkdir, "mkdir");
    Next(real_rename, "rename");
    Next(real_unlink, "unlink");
    Next(real_readlink, "readlink");
    Next(real_mmap, "mmap");
    Next(real_munmap, "munmap");
    Next(real_posix_spawnp, "posix_spawnp");
    Next(real_posix_spawn, "posix_spawn");
    Next(real_waitpid, "waitpid");
    Next(real_pthread_mutex_lock, "pthread_mutex_lock");
    Next(real_pthread_mutex_trylock, "pthread_mutex_trylock");
    Next(real_pthread_rwlock_rdlock, "pthread_rwlock_rdlock");
    Next(real_pthread_rwlock_wrlock, "pthread_rwlock_wrlock");
    Next(real_pthread_rwlock_tryrdlock, "pthread_rwlock_tryrdlock");
    Next(real_pthread_rwlock_trywrlock, "pthread_rwlock_trywrlock");
    Next(real_sem_wait, "sem_wait");
    Next(real_nanosleep, "nanosleep");
    Next(real_usleep, "usleep");
    // The condition variables have an old version beside the current one; plain dlsym may
    // return the old.
    real_pthread_cond_wait = reinterpret_cast<decltype(real_pthread_cond_wait)>(
        dlvsym(RTLD_NEXT, "pthread_cond_wait", "GLIBC_2.3.2"));
    real_pthread_cond_timedwait = reinterpret_cast<decltype(real_pthread_cond_timedwait)>(
        dlvsym(RTLD_NEXT, "pthread_cond_timedwait", "GLIBC_2.3.2"));
    if (!real_pthread_cond_wait) Next(real_pthread_cond_wait, "pthread_cond_wait");
    if (!real_pthread_cond_timedwait) Next(real_pthread_cond_timedwait, "pthread_cond_timedwait");
    resolving = false;
    resolved = true;
}

__thread ThreadMark mark __attribute__((tls_model("initial-exec")));
Site sites[kSites];
int siteCount = 0;
unsigned long long lostSites = 0;
unsigned long long counts[kCallCount];
bool reported = false;

namespace {
volatile int siteLock = 0;
} // namespace

__attribute__((noinline)) void Record(Call call, long long ns) {
    void* pc[kFramesKept + kFramesSkipped];
    const int depth = backtrace(pc, kFramesKept + kFramesSkipped);
    const int frames = depth > kFramesSkipped ? depth - kFramesSkipped : 0;
    __atomic_add_fetch(&counts[call], 1, __ATOMIC_RELAXED);
    while (__atomic_exchange_n(&siteLock, 1, __ATOMIC_ACQUIRE)) {
    }
    int i = 0;
    for (; i < siteCount; ++i) {
        const Site& s = sites[i];
        if (s.call == call && s.step == mark.step && s.frames == frames &&
            memcmp(s.pc, pc + kFramesSkipped, sizeof(void*) * static_cast<size_t>(frames)) == 0)
            break;
    }
    if (i < siteCount) {
        ++sites[i].count;
        if (ns > sites[i].longestNs) sites[i].longestNs = ns;
    } else if (siteCount < kSites) {
        Site& s = sites[siteCount++];
        s.call = call;
        s.step = mark.step;
        s.detail = mark.detail;
        s.frames = frames;
        memcpy(s.pc, pc + kFramesSkipped, sizeof(void*) * static_cast<size_t>(frames));
        s.count = 1;
        s.longestNs = ns;
    } else {
        ++lostSites;
    }
    __atomic_store_n(&siteLock, 0, __ATOMIC_RELEASE);
}

} // namespace audit
#pragma GCC visibility pop

namespace {
// Resolves the next definitions and loads the unwinder backtrace() needs (its first call dlopens
// libgcc_s, which allocates) before any thread is marked.
__attribute__((constructor(101))) void Load() {
    audit::Resolve();
    void* warm[4];
    backtrace(warm, 4);
}

// A program that never asked for the report gets it at exit, and fails when anything was counted.
__attribute__((destructor)) void Unload() {
    if (audit::reported || vulpane_audit_total() == 0) return;
    vulpane_audit_report(2);
    _exit(3);
}
} // namespace

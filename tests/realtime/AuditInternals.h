#pragma once

// The parts of the audit library (libvulpane-rt-audit.so) its files share: the calls counted, the
// next definitions of the interposed functions, the marked thread and the call-site table.
// AuditCore.cpp defines them, AuditHooks.cpp interposes the functions, AuditReport.cpp prints.
#include <dirent.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <time.h>

// Nothing of the library but its hooks and the driver's interface is exported.
#pragma GCC visibility push(hidden)
namespace audit {

// The calls counted, in report order; each belongs to one kind.
#define AUDIT_CALLS(X)                                                                                       \
    X(Malloc, "malloc", "allocation")                                                                        \
    X(Calloc, "calloc", "allocation")                                                                        \
    X(Realloc, "realloc", "allocation")                                                                      \
    X(PosixMemalign, "posix_memalign", "allocation")                                                         \
    X(AlignedAlloc, "aligned_alloc", "allocation")                                                           \
    X(Memalign, "memalign", "allocation")                                                                    \
    X(Valloc, "valloc", "allocation")                                                                        \
    X(New, "operator new", "allocation")                                                                     \
    X(NewArray, "operator new[]", "allocation")                                                              \
    X(Free, "free", "deallocation")                                                                          \
    X(Delete, "operator delete", "deallocation")                                                             \
    X(DeleteArray, "operator delete[]", "deallocation")                                                      \
    X(Open, "open", "file")                                                                                  \
    X(Openat, "openat", "file")                                                                              \
    X(Creat, "creat", "file")                                                                                \
    X(Close, "close", "file")                                                                                \
    X(Read, "read", "file")                                                                                  \
    X(Write, "write", "file")                                                                                \
    X(Pread, "pread", "file")                                                                                \
    X(Pwrite, "pwrite", "file")                                                                              \
    X(Readv, "readv", "file")                                                                                \
    X(Writev, "writev", "file")                                                                              \
    X(Fopen, "fopen", "file")                                                                                \
    X(Fclose, "fclose", "file")                                                                              \
    X(Fread, "fread", "file")                                                                                \
    X(Fwrite, "fwrite", "file")                                                                              \
    X(Fgets, "fgets", "file")                                                                                \
    X(Fputs, "fputs", "file")                                                                                \
    X(Puts, "puts", "file")                                                                                  \
    X(Printf, "printf/fprintf", "file")                                                                      \
    X(Fflush, "fflush", "file")                                                                              \
    X(Stat, "stat", "file")                                                                                  \
    X(Lstat, "lstat", "file")                                                                                \
    X(Fstat, "fstat", "file")                                                                                \
    X(Fstatat, "fstatat", "file")                                                                            \
    X(Statx, "statx", "file")                                                                                \
    X(Access, "access", "file")                                                                              \
    X(Opendir, "opendir", "file")                                                                            \
    X(Readdir, "readdir", "file")                                                                            \
    X(Closedir, "closedir", "file")                                                                          \
    X(Mkdir, "mkdir", "file")                                                                                \
    X(Rename, "rename", "file")                                                                              \
    X(Unlink, "unlink", "file")                                                                              \
    X(Readlink, "readlink", "file")                                                                          \
    X(Mmap, "mmap", "system")                                                                                \
    X(Munmap, "munmap", "system")                                                                            \
    X(Spawn, "posix_spawn", "system")                                                                        \
    X(Waitpid, "waitpid", "system")                                                                          \
    X(LockWait, "pthread_mutex_lock wait > 50 us", "lock wait")                                              \
    X(RwlockWait, "pthread_rwlock wait > 50 us", "lock wait")                                                \
    X(CondWait, "pthread_cond_wait", "wait")                                                                 \
    X(SemWait, "sem_wait", "wait")                                                                           \
    X(Sleep, "nanosleep/usleep", "wait")

enum Call : int {
#define AUDIT_ENUM(id, name, kind) k##id,
    AUDIT_CALLS(AUDIT_ENUM)
#undef AUDIT_ENUM
        kCallCount
};
extern const char* const kCallNames[kCallCount];
extern const char* const kCallKinds[kCallCount];

constexpr long long kLongWaitNanoseconds = 50000;

// The next definition of each interposed function: name, result, arguments.
#define AUDIT_NEXT(X)                                                                                        \
    X(malloc, void*, size_t)                                                                                 \
    X(calloc, void*, size_t, size_t)                                                                         \
    X(realloc, void*, void*, size_t)                                                                         \
    X(free, void, void*)                                                                                     \
    X(posix_memalign, int, void**, size_t, size_t)                                                           \
    X(aligned_alloc, void*, size_t, size_t)                                                                  \
    X(memalign, void*, size_t, size_t)                                                                       \
    X(valloc, void*, size_t)                                                                                 \
    X(open, int, const char*, int, ...)                                                                      \
    X(open64, int, const char*, int, ...)                                                                    \
    X(openat, int, int, const char*, int, ...)                                                               \
    X(openat64, int, int, const char*, int, ...)                                                             \
    X(creat, int, const char*, mode_t)                                                                       \
    X(close, int, int)                                                                                       \
    X(read, ssize_t, int, void*, size_t)                                                                     \
    X(write, ssize_t, int, const void*, size_t)                                                              \
    X(pread, ssize_t, int, void*, size_t, off_t)                                                             \
    X(pread64, ssize_t, int, void*, size_t, off64_t)                                                         \
    X(pwrite, ssize_t, int, const void*, size_t, off_t)                                                      \
    X(pwrite64, ssize_t, int, const void*, size_t, off64_t)                                                  \
    X(readv, ssize_t, int, const struct iovec*, int)                                                         \
    X(writev, ssize_t, int, const struct iovec*, int)                                                        \
    X(fopen, FILE*, const char*, const char*)                                                                \
    X(fopen64, FILE*, const char*, const char*)                                                              \
    X(fclose, int, FILE*)                                                                                    \
    X(fread, size_t, void*, size_t, size_t, FILE*)                                                           \
    X(fwrite, size_t, const void*, size_t, size_t, FILE*)                                                    \
    X(fgets, char*, char*, int, FILE*)                                                                       \
    X(fputs, int, const char*, FILE*)                                                                        \
    X(puts, int, const char*)                                                                                \
    X(vfprintf, int, FILE*, const char*, va_list)                                                            \
    X(fflush, int, FILE*)                                                                                    \
    X(stat, int, const char*, struct stat*)                                                                  \
    X(stat64, int, const char*, struct stat64*)                                                              \
    X(lstat, int, const char*, struct stat*)                                                                 \
    X(lstat64, int, const char*, struct stat64*)                                                             \
    X(fstat, int, int, struct stat*)                                                                         \
    X(fstat64, int, int, struct stat64*)                                                                     \
    X(fstatat, int, int, const char*, struct stat*, int)                                                     \
    X(fstatat64, int, int, const char*, struct stat64*, int)                                                 \
    X(statx, int, int, const char*, int, unsigned int, struct statx*)                                        \
    X(access, int, const char*, int)                                                                         \
    X(opendir, DIR*, const char*)                                                                            \
    X(readdir, struct dirent*, DIR*)                                                                         \
    X(readdir64, struct dirent64*, DIR*)                                                                     \
    X(closedir, int, DIR*)                                                                                   \
    X(mkdir, int, const char*, mode_t)                                                                       \
    X(rename, int, const char*, const char*)                                                                 \
    X(unlink, int, const char*)                                                                              \
    X(readlink, ssize_t, const char*, char*, size_t)                                                         \
    X(mmap, void*, void*, size_t, int, int, int, off_t)                                                      \
    X(munmap, int, void*, size_t)                                                                            \
    X(posix_spawnp, int, pid_t*, const char*, const void*, const void*, char* const*, char* const*)          \
    X(posix_spawn, int, pid_t*, const char*, const void*, const void*, char* const*, char* const*)           \
    X(waitpid, pid_t, pid_t, int*, int)                                                                      \
    X(pthread_mutex_lock, int, pthread_mutex_t*)                                                             \
    X(pthread_mutex_trylock, int, pthread_mutex_t*)                                                          \
    X(pthread_rwlock_rdlock, int, pthread_rwlock_t*)                                                         \
    X(pthread_rwlock_wrlock, int, pthread_rwlock_t*)                                                         \
    X(pthread_rwlock_tryrdlock, int, pthread_rwlock_t*)                                                      \
    X(pthread_rwlock_trywrlock, int, pthread_rwlock_t*)                                                      \
    X(pthread_cond_wait, int, pthread_cond_t*, pthread_mutex_t*)                                             \
    X(pthread_cond_timedwait, int, pthread_cond_t*, pthread_mutex_t*, const struct timespec*)                \
    X(sem_wait, int, sem_t*)                                                                                 \
    X(nanosleep, int, const struct timespec*, struct timespec*)                                              \
    X(usleep, int, useconds_t)
#define AUDIT_DECLARE(name, ret, ...) extern ret (*real_##name)(__VA_ARGS__);
AUDIT_NEXT(AUDIT_DECLARE)
#undef AUDIT_DECLARE

// Resolves the next definitions (at load, or at the first hooked call before that).
extern bool resolved;
void Resolve();
// Allocations made while dlsym runs come from a static buffer, never freed.
bool FromBootstrap(const void* p);
void* BootstrapAlloc(size_t size, size_t alignment = 16);
size_t BootstrapSize(const void* p);

// The calling thread: marked in audio by the driver, inside a hook of the audit itself.
struct ThreadMark {
    int inAudio;
    int inHook;
    const char* step;
    int detail;
};
extern __thread ThreadMark mark __attribute__((tls_model("initial-exec")));

constexpr int kFramesKept = 14;
constexpr int kFramesSkipped = 2; // Record and the hook itself
constexpr int kSites = 256;

// One call site: the call, the driver's step and the frames above the hook.
struct Site {
    int call;
    const char* step;
    int detail;
    int frames;
    void* pc[kFramesKept];
    unsigned long long count;
    long long longestNs; // lock waits: the longest one
};
extern Site sites[kSites];
extern int siteCount;
extern unsigned long long lostSites;
extern unsigned long long counts[kCallCount];
extern bool reported;

// Counts a call and keeps its site (a backtrace into preallocated storage, no allocation).
__attribute__((noinline)) void Record(Call call, long long ns);

// Whether this call is one to count: on a marked thread, and not made by the audit itself.
inline bool Counting() {
    return mark.inAudio && !mark.inHook;
}

// Counts the call when the thread is marked; the hook's own work is then passed through.
__attribute__((always_inline)) inline void Hit(Call call, long long ns = 0) {
    if (__builtin_expect(!resolved, 0)) Resolve(); // a call before the library's constructor ran
    if (!Counting()) return;
    mark.inHook = 1;
    Record(call, ns);
    mark.inHook = 0;
}

inline long long Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace audit
#pragma GCC visibility pop

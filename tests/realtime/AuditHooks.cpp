// The interposed functions: each passes straight to the next definition, and counts the call
// first when the thread is marked in audio (AuditInternals.h). Every form of operator new and
// delete is served by the next malloc and free, so a C++ allocation counts once.
#include "AuditInternals.h"

#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <new>

using namespace audit;

namespace {

void* AllocOr(void* (*real)(size_t), size_t size) {
    if (!real) {
        Resolve();
        if (!real_malloc) return BootstrapAlloc(size);
        real = real_malloc;
    }
    return real(size);
}

// An operator new: counted as itself, then served by the next malloc (not by ours, so it counts once).
__attribute__((always_inline)) inline void* NewFrom(Call call, size_t size, size_t alignment, bool nothrow) {
    Hit(call);
    if (!resolved) Resolve();
    void* p = nullptr;
    if (alignment > alignof(max_align_t)) {
        if (real_posix_memalign(&p, alignment, size ? size : 1) != 0) p = nullptr;
    } else {
        p = real_malloc(size ? size : 1);
    }
    if (!p && !nothrow) throw std::bad_alloc();
    return p;
}

__attribute__((always_inline)) inline void DeleteFrom(Call call, void* p) {
    if (!p) return;
    Hit(call);
    if (FromBootstrap(p)) return;
    if (!resolved) Resolve();
    real_free(p);
}

} // namespace

extern "C" {

// ---- heap ----
void* malloc(size_t size) noexcept {
    Hit(kMalloc);
    return AllocOr(real_malloc, size);
}

void* calloc(size_t n, size_t size) noexcept {
    if (!real_calloc) {
        Resolve();
        if (!real_calloc) { // dlsym's own allocations: zeroed static memory
            void* p = BootstrapAlloc(n * size);
            if (p) memset(p, 0, n * size);
            return p;
        }
    }
    Hit(kCalloc);
    return real_calloc(n, size);
}

void* realloc(void* p, size_t size) noexcept {
    Hit(kRealloc);
    if (FromBootstrap(p)) {
        void* moved = AllocOr(real_malloc, size);
        if (moved) memcpy(moved, p, BootstrapSize(p) < size ? BootstrapSize(p) : size);
        return moved;
    }
    if (!real_realloc) Resolve();
    return real_realloc(p, size);
}

void free(void* p) noexcept {
    if (!p) return;
    if (FromBootstrap(p)) return;
    Hit(kFree);
    if (!real_free) Resolve();
    real_free(p);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    Hit(kPosixMemalign);
    if (!real_posix_memalign) Resolve();
    return real_posix_memalign(out, alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    Hit(kAlignedAlloc);
    if (!real_aligned_alloc) Resolve();
    return real_aligned_alloc(alignment, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
    Hit(kMemalign);
    if (!real_memalign) Resolve();
    return real_memalign(alignment, size);
}

void* valloc(size_t size) noexcept {
    Hit(kValloc);
    if (!real_valloc) Resolve();
    return real_valloc(size);
}

// ---- files, folders, console ----
static mode_t ModeArgument(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    Hit(kOpen);
    return real_open(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    Hit(kOpen);
    return real_open64(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    Hit(kOpenat);
    return real_openat(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    Hit(kOpenat);
    return real_openat64(dir, path, flags, mode);
}

int creat(const char* path, mode_t mode) {
    Hit(kCreat);
    return real_creat(path, mode);
}

int close(int fd) {
    Hit(kClose);
    return real_close(fd);
}

ssize_t read(int fd, void* buffer, size_t n) {
    Hit(kRead);
    return real_read(fd, buffer, n);
}

ssize_t write(int fd, const void* buffer, size_t n) {
    Hit(kWrite);
    return real_write(fd, buffer, n);
}

ssize_t pread(int fd, void* buffer, size_t n, off_t at) {
    Hit(kPread);
    return real_pread(fd, buffer, n, at);
}

ssize_t pread64(int fd, void* buffer, size_t n, off64_t at) {
    Hit(kPread);
    return real_pread64(fd, buffer, n, at);
}

ssize_t pwrite(int fd, const void* buffer, size_t n, off_t at) {
    Hit(kPwrite);
    return real_pwrite(fd, buffer, n, at);
}

ssize_t pwrite64(int fd, const void* buffer, size_t n, off64_t at) {
    Hit(kPwrite);
    return real_pwrite64(fd, buffer, n, at);
}

ssize_t readv(int fd, const struct iovec* parts, int count) {
    Hit(kReadv);
    return real_readv(fd, parts, count);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    Hit(kWritev);
    return real_writev(fd, parts, count);
}

FILE* fopen(const char* path, const char* mode) {
    Hit(kFopen);
    return real_fopen(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    Hit(kFopen);
    return real_fopen64(path, mode);
}

int fclose(FILE* file) {
    Hit(kFclose);
    return real_fclose(file);
}

size_t fread(void* buffer, size_t size, size_t n, FILE* file) {
    Hit(kFread);
    return real_fread(buffer, size, n, file);
}

size_t fwrite(const void* buffer, size_t size, size_t n, FILE* file) {
    Hit(kFwrite);
    return real_fwrite(buffer, size, n, file);
}

char* fgets(char* text, int n, FILE* file) {
    Hit(kFgets);
    return real_fgets(text, n, file);
}

int fputs(const char* text, FILE* file) {
    Hit(kFputs);
    return real_fputs(text, file);
}

int puts(const char* text) {
    Hit(kPuts);
    return real_puts(text);
}

int vfprintf(FILE* file, const char* format, va_list args) {
    Hit(kPrintf);
    return real_vfprintf(file, format, args);
}

int fprintf(FILE* file, const char* format, ...) {
    Hit(kPrintf);
    va_list args;
    va_start(args, format);
    const int n = real_vfprintf(file, format, args);
    va_end(args);
    return n;
}

int printf(const char* format, ...) {
    Hit(kPrintf);
    va_list args;
    va_start(args, format);
    const int n = real_vfprintf(stdout, format, args);
    va_end(args);
    return n;
}

int fflush(FILE* file) {
    Hit(kFflush);
    return real_fflush(file);
}

int stat(const char* path, struct stat* out) noexcept {
    Hit(kStat);
    return real_stat(path, out);
}

int stat64(const char* path, struct stat64* out) noexcept {
    Hit(kStat);
    return real_stat64(path, out);
}

int lstat(const char* path, struct stat* out) noexcept {
    Hit(kLstat);
    return real_lstat(path, out);
}

int lstat64(const char* path, struct stat64* out) noexcept {
    Hit(kLstat);
    return real_lstat64(path, out);
}

int fstat(int fd, struct stat* out) noexcept {
    Hit(kFstat);
    return real_fstat(fd, out);
}

int fstat64(int fd, struct stat64* out) noexcept {
    Hit(kFstat);
    return real_fstat64(fd, out);
}

int fstatat(int dir, const char* path, struct stat* out, int flags) noexcept {
    Hit(kFstatat);
    return real_fstatat(dir, path, out, flags);
}

int fstatat64(int dir, const char* path, struct stat64* out, int flags) noexcept {
    Hit(kFstatat);
    return real_fstatat64(dir, path, out, flags);
}

int statx(int dir, const char* path, int flags, unsigned int mask, struct statx* out) noexcept {
    Hit(kStatx);
    return real_statx(dir, path, flags, mask, out);
}

int access(const char* path, int mode) noexcept {
    Hit(kAccess);
    return real_access(path, mode);
}

DIR* opendir(const char* path) {
    Hit(kOpendir);
    return real_opendir(path);
}

struct dirent* readdir(DIR* dir) {
    Hit(kReaddir);
    return real_readdir(dir);
}

struct dirent64* readdir64(DIR* dir) {
    Hit(kReaddir);
    return real_readdir64(dir);
}

int closedir(DIR* dir) {
    Hit(kClosedir);
    return real_closedir(dir);
}

int mkdir(const char* path, mode_t mode) noexcept {
    Hit(kMkdir);
    return real_mkdir(path, mode);
}

int rename(const char* from, const char* to) noexcept {
    Hit(kRename);
    return real_rename(from, to);
}

int unlink(const char* path) noexcept {
    Hit(kUnlink);
    return real_unlink(path);
}

ssize_t readlink(const char* path, char* out, size_t n) noexcept {
    Hit(kReadlink);
    return real_readlink(path, out, n);
}

// ---- system calls that block or map memory ----
void* mmap(void* at, size_t n, int protection, int flags, int fd, off_t offset) noexcept {
    Hit(kMmap);
    return real_mmap(at, n, protection, flags, fd, offset);
}

int munmap(void* at, size_t n) noexcept {
    Hit(kMunmap);
    return real_munmap(at, n);
}

int posix_spawnp(pid_t* pid, const char* file, const void* actions, const void* attributes, char* const* argv,
                 char* const* envp) {
    Hit(kSpawn);
    return real_posix_spawnp(pid, file, actions, attributes, argv, envp);
}

int posix_spawn(pid_t* pid, const char* file, const void* actions, const void* attributes, char* const* argv,
                char* const* envp) {
    Hit(kSpawn);
    return real_posix_spawn(pid, file, actions, attributes, argv, envp);
}

pid_t waitpid(pid_t pid, int* status, int options) {
    Hit(kWaitpid);
    return real_waitpid(pid, status, options);
}

// ---- mutexes: a lock taken at once is fine, a wait longer than 50 us is counted ----
int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    if (!real_pthread_mutex_lock) Resolve();
    if (!Counting()) return real_pthread_mutex_lock(mutex);
    const int tried = real_pthread_mutex_trylock(mutex);
    if (tried != EBUSY) return tried;
    const long long start = Now();
    const int result = real_pthread_mutex_lock(mutex);
    const long long waited = Now() - start;
    if (waited > kLongWaitNanoseconds) Hit(kLockWait, waited);
    return result;
}

// A read-write lock: taken at once is fine, a wait longer than 50 us is counted.
static int TimedRwlock(int (*take)(pthread_rwlock_t*), int (*tryTake)(pthread_rwlock_t*),
                       pthread_rwlock_t* lock) {
    if (!Counting()) return take(lock);
    const int tried = tryTake(lock);
    if (tried != EBUSY) return tried;
    const long long start = Now();
    const int result = take(lock);
    const long long waited = Now() - start;
    if (waited > kLongWaitNanoseconds) Hit(kRwlockWait, waited);
    return result;
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock) noexcept {
    if (!real_pthread_rwlock_rdlock) Resolve();
    return TimedRwlock(real_pthread_rwlock_rdlock, real_pthread_rwlock_tryrdlock, lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock) noexcept {
    if (!real_pthread_rwlock_wrlock) Resolve();
    return TimedRwlock(real_pthread_rwlock_wrlock, real_pthread_rwlock_trywrlock, lock);
}

// ---- waiting for another thread, or sleeping: always counted ----
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    Hit(kCondWait);
    return real_pthread_cond_wait(condition, mutex);
}

int pthread_cond_timedwait(pthread_cond_t* condition, pthread_mutex_t* mutex, const struct timespec* until) {
    Hit(kCondWait);
    return real_pthread_cond_timedwait(condition, mutex, until);
}

int sem_wait(sem_t* semaphore) {
    Hit(kSemWait);
    return real_sem_wait(semaphore);
}

int nanosleep(const struct timespec* duration, struct timespec* left) {
    Hit(kSleep);
    return real_nanosleep(duration, left);
}

int usleep(useconds_t microseconds) {
    Hit(kSleep);
    return real_usleep(microseconds);
}

} // extern "C"

// ---- every form of operator new and delete ----
void* operator new(size_t n) {
    return NewFrom(kNew, n, 0, false);
}
void* operator new[](size_t n) {
    return NewFrom(kNewArray, n, 0, false);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return NewFrom(kNew, n, 0, true);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return NewFrom(kNewArray, n, 0, true);
}
void* operator new(size_t n, std::align_val_t a) {
    return NewFrom(kNew, n, static_cast<size_t>(a), false);
}
void* operator new[](size_t n, std::align_val_t a) {
    return NewFrom(kNewArray, n, static_cast<size_t>(a), false);
}
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return NewFrom(kNew, n, static_cast<size_t>(a), true);
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return NewFrom(kNewArray, n, static_cast<size_t>(a), true);
}
void operator delete(void* p) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p) noexcept {
    DeleteFrom(kDeleteArray, p);
}
void operator delete(void* p, size_t) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p, size_t) noexcept {
    DeleteFrom(kDeleteArray, p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    DeleteFrom(kDeleteArray, p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    DeleteFrom(kDeleteArray, p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    DeleteFrom(kDeleteArray, p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    DeleteFrom(kDelete, p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    DeleteFrom(kDeleteArray, p);
}

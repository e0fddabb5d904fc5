#include "Lock.h"

#include <pthread.h>

static_assert(sizeof(pthread_mutex_t) <= 64, "lock storage too small");

static pthread_mutex_t* Mutex(unsigned char* storage) {
    return reinterpret_cast<pthread_mutex_t*>(storage);
}

RecursiveLock::RecursiveLock(bool inheritPriority) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    if (inheritPriority) pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(Mutex(storage), &attr);
    pthread_mutexattr_destroy(&attr);
}

RecursiveLock::~RecursiveLock() {
    pthread_mutex_destroy(Mutex(storage));
}
void RecursiveLock::Lock() {
    pthread_mutex_lock(Mutex(storage));
}
bool RecursiveLock::TryLock() {
    return pthread_mutex_trylock(Mutex(storage)) == 0;
}
void RecursiveLock::Unlock() {
    pthread_mutex_unlock(Mutex(storage));
}

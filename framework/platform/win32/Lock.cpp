#include "Lock.h"

#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "lock storage too small");

static CRITICAL_SECTION* Section(unsigned char* storage) {
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

// Critical sections are recursive for the owning thread; Windows boosts a holder that a waiting
// thread of higher priority needs by itself, so the flag asks for nothing more.
RecursiveLock::RecursiveLock(bool) {
    InitializeCriticalSection(Section(storage));
}
RecursiveLock::~RecursiveLock() {
    DeleteCriticalSection(Section(storage));
}
void RecursiveLock::Lock() {
    EnterCriticalSection(Section(storage));
}
bool RecursiveLock::TryLock() {
    return TryEnterCriticalSection(Section(storage)) != 0;
}
void RecursiveLock::Unlock() {
    LeaveCriticalSection(Section(storage));
}

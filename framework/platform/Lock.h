#pragma once

// A recursive mutual-exclusion lock: the thread holding it may take it again.
class RecursiveLock {
public:
    // inheritPriority: a thread holding the lock runs at the priority of the highest thread
    // waiting for it (where the system offers it), so a real-time thread never waits behind a
    // holder that the scheduler has set aside.
    explicit RecursiveLock(bool inheritPriority = false);
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void Lock();
    // Takes the lock only when no other thread holds it; never waits.
    bool TryLock();
    void Unlock();

private:
    alignas(8) unsigned char storage[64];
};

// Holds a lock for the lifetime of a scope.
template <class L> class ScopedLock {
public:
    explicit ScopedLock(L& l) : lock(l) { lock.Lock(); }
    ~ScopedLock() { lock.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    L& lock;
};

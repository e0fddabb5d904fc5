#include "ImageCache.h"
#include "IRaster.h"
#include "Lock.h"

#include <vector>

namespace {

struct Entry {
    int id;
    IRaster* image;
};

class Cache {
public:
    ~Cache() { Clear(); }

    void Clear() {
        ScopedLock<RecursiveLock> hold(lock);
        for (Entry& e : entries)
            delete e.image;
        entries.clear();
    }

    RecursiveLock lock;
    std::vector<Entry> entries;
};

// Built on first use, destroyed (freeing every image) when the library unloads.
Cache& TheCache() {
    static Cache cache;
    return cache;
}

IRaster* FindLocked(Cache& c, int id) {
    if (id < 0) return nullptr;
    for (const Entry& e : c.entries)
        if (e.id == id) return e.image;
    return nullptr;
}

} // namespace

namespace ImageCache {

IRaster* Find(int id) {
    Cache& c = TheCache();
    ScopedLock<RecursiveLock> hold(c.lock);
    return FindLocked(c, id);
}

void Add(int id, IRaster* image) {
    if (!image) return;
    Cache& c = TheCache();
    ScopedLock<RecursiveLock> hold(c.lock);
    for (const Entry& e : c.entries)
        if (e.image == image) return; // one owner entry per image, so it is freed once
    c.entries.push_back(Entry{id, image});
}

IRaster* FindOrAdd(int id, IRaster* (*decode)(int, void*), void* context) {
    Cache& c = TheCache();
    ScopedLock<RecursiveLock> hold(c.lock);
    if (IRaster* found = FindLocked(c, id)) return found;
    IRaster* image = decode ? decode(id, context) : nullptr;
    if (image) c.entries.push_back(Entry{id, image});
    return image;
}

bool Remove(IRaster* image) {
    if (!image) return false;
    Cache& c = TheCache();
    ScopedLock<RecursiveLock> hold(c.lock);
    for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
        if (it->image == image) {
            c.entries.erase(it);
            delete image;
            return true;
        }
    }
    return false;
}

int Count() {
    Cache& c = TheCache();
    ScopedLock<RecursiveLock> hold(c.lock);
    return static_cast<int>(c.entries.size());
}

void Clear() {
    TheCache().Clear();
}

} // namespace ImageCache

#pragma once

class IRaster;

// The process-wide cache of decoded images, shared by every editor in the process and
// guarded by its own lock. It owns every image entered and frees them at unload. Images
// entered with id -1 are owned but never found by id.
namespace ImageCache {

// The first image entered under id, or null.
IRaster* Find(int id);
void Add(int id, IRaster* image);
// Returns the image cached under id, decoding and entering it first when absent (decode
// runs under the cache's lock, so each id is decoded once). decode may return null.
IRaster* FindOrAdd(int id, IRaster* (*decode)(int id, void* context), void* context);
// Removes the image's first entry and deletes the image; false when it is not cached.
bool Remove(IRaster* image);
int Count();
// Deletes every image (done at unload).
void Clear();

} // namespace ImageCache

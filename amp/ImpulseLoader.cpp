#include "ImpulseLoader.h"

#include <system_error>
#include <utility>

ImpulseLoader::~ImpulseLoader() {
    Stop();
}

uint64_t ImpulseLoader::Post(Job job) {
    std::unique_lock<std::mutex> lock(mutex);
    if (stopping) return 0;
    if (!thread.joinable()) {
        try {
            thread = std::thread(&ImpulseLoader::Run, this);
        } catch (const std::system_error&) {
            return 0;
        }
    }
    queued = std::move(job);
    busy.store(true, std::memory_order_release);
    ++latest;
    changed.notify_all();
    return latest;
}

bool ImpulseLoader::Superseded(uint64_t serial) const {
    std::lock_guard<std::mutex> lock(mutex);
    return stopping || serial != latest;
}

void ImpulseLoader::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        queued = nullptr;
        busy.store(running, std::memory_order_release);
        changed.notify_all();
    }
    if (thread.joinable()) thread.join();
}

void ImpulseLoader::WaitIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return stopping || (!queued && !running); });
}

void ImpulseLoader::Hold(bool on) {
    std::lock_guard<std::mutex> lock(mutex);
    held = on;
    changed.notify_all();
}

void ImpulseLoader::HoldPoint(uint64_t serial) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return !held || stopping || serial != latest; });
}

void ImpulseLoader::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
        changed.wait(lock, [this] { return stopping || queued; });
        if (stopping) break;
        Job job = std::move(queued);
        queued = nullptr;
        const uint64_t serial = latest;
        running = true;
        lock.unlock();
        try {
            job(serial);
        } catch (...) {
            // A job that ran out of memory leaves everything as it was.
        }
        job = nullptr; // what the job holds is freed here, on this thread
        lock.lock();
        running = false;
        busy.store(static_cast<bool>(queued), std::memory_order_release);
        changed.notify_all();
    }
    running = false;
    busy.store(false, std::memory_order_release);
    changed.notify_all();
}

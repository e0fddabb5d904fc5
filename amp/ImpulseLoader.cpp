#include "ImpulseLoader.h"

#include <chrono>
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

void ImpulseLoader::SetWakeJob(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex);
    wakeJob = std::move(job);
    if (!thread.joinable() && !stopping) {
        try {
            thread = std::thread(&ImpulseLoader::Run, this);
        } catch (const std::system_error&) {
        }
    }
}

void ImpulseLoader::Wake() {
    wakeAsked.store(true, std::memory_order_release);
    busy.store(true, std::memory_order_release);
    changed.notify_all();
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
    changed.wait(lock, [this] { return stopping || (!queued && !running && !wakeAsked.load()); });
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
        // A wake comes without the mutex (from the audio thread), so the wait looks again now
        // and then rather than rely on the notification alone.
        while (!changed.wait_for(lock, std::chrono::milliseconds(20),
                                 [this] { return stopping || queued || wakeAsked.load(); })) {
        }
        if (stopping) break;
        if (wakeAsked.exchange(false)) {
            running = true;
            lock.unlock();
            try {
                if (wakeJob) wakeJob();
            } catch (...) {
                // As for a job: what ran out of memory leaves everything as it was.
            }
            lock.lock();
            running = false;
            busy.store(static_cast<bool>(queued) || wakeAsked.load(), std::memory_order_release);
            changed.notify_all();
            continue;
        }
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
        busy.store(static_cast<bool>(queued) || wakeAsked.load(), std::memory_order_release);
        changed.notify_all();
    }
    running = false;
    busy.store(false, std::memory_order_release);
    changed.notify_all();
}

#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// The plug-in's background thread for impulse loads. It runs one job at a time; a job posted
// while another waits replaces it, and a running job can ask whether a newer one (or the end)
// has come, to stop early. The thread starts with the first job and is joined by Stop or the
// destructor, which cancel what is left.
class ImpulseLoader {
public:
    // A job gets its serial, for Superseded and HoldPoint.
    using Job = std::function<void(uint64_t serial)>;

    ImpulseLoader() = default;
    ~ImpulseLoader();
    ImpulseLoader(const ImpulseLoader&) = delete;
    ImpulseLoader& operator=(const ImpulseLoader&) = delete;

    // Queues the job, dropping one not yet started; returns its serial (0 once stopped or
    // when the thread cannot start).
    uint64_t Post(Job job);
    // True once a later job was posted or the loader is stopping.
    bool Superseded(uint64_t serial) const;
    // Cancels the queued job, waits for the running one and joins the thread.
    void Stop();
    // Blocks until no job is queued or running.
    void WaitIdle();
    // True while a job is queued or running or a wake is asked for; lock-free, for the audio thread.
    bool Busy() const { return busy.load(std::memory_order_acquire); }

    // The job Wake runs on the loader thread, which this starts (allocates; call once, first).
    void SetWakeJob(std::function<void()> job);
    // Asks the loader thread to run the wake job; neither allocates nor waits, for the audio thread.
    void Wake();

    // Test hook: while held, a running job waits at its HoldPoint (until superseded).
    void Hold(bool on);
    void HoldPoint(uint64_t serial);

private:
    void Run();

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
    Job queued;
    uint64_t latest = 0;
    bool running = false;
    std::atomic<bool> busy{false}; // queued || running, readable without the mutex
    bool stopping = false;
    bool held = false;
    std::function<void()> wakeJob;
    std::atomic<bool> wakeAsked{false};
};

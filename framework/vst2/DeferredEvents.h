#pragma once

#include "IPluginBase.h"

#include <atomic>
#include <cstdint>

// Parameter moves and MIDI messages the audio thread could not apply at once because another
// thread held the plug-in lock (opening the editor, restoring a song, listing presets). They wait
// here, in order, without allocating, and are applied by the next holder of the lock. One thread
// pushes (the audio thread); the one that applies them holds the plug-in lock.
class DeferredEvents {
public:
    struct Event {
        enum Kind : uint8_t { kParameter, kMidi } kind;
        int32_t index;
        double value;
        MidiMessage midi;
    };
    static constexpr uint32_t kCapacity = 4096;

    // False when the queue is full.
    bool Push(const Event& event) {
        const uint32_t at = tail.load(std::memory_order_relaxed);
        if (at - head.load(std::memory_order_acquire) >= kCapacity) return false;
        ring[at % kCapacity] = event;
        tail.store(at + 1, std::memory_order_release);
        return true;
    }
    bool Empty() const {
        return head.load(std::memory_order_acquire) == tail.load(std::memory_order_acquire);
    }
    // Hands every waiting event to apply, oldest first. An apply that drains again (a host
    // answering a call by setting a parameter) goes on where this one stands.
    template <class F> void Drain(F apply) {
        for (;;) {
            const uint32_t at = head.load(std::memory_order_relaxed);
            if (at == tail.load(std::memory_order_acquire)) return;
            const Event event = ring[at % kCapacity];
            head.store(at + 1, std::memory_order_release);
            apply(event);
        }
    }

private:
    Event ring[kCapacity];
    std::atomic<uint32_t> head{0};
    std::atomic<uint32_t> tail{0};
};

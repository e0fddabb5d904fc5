#pragma once

#include <cstddef>
#include <vector>

// What the editor's parameter-bound controls hold, kept by the plug-in under its lock. A change on
// any thread (the audio thread among them) decides here, without touching a control, whether a
// control moves; the value it is to show waits here until the editor applies it on its next idle.
// Slots are made once when the editor is built (Bind); nothing after allocates.
class ControlMirror {
public:
    struct Slot {
        const void* control = nullptr; // the control's identity; the editor owns it
        int controlIndex = -1;
        int param = -1;
        double held = 0.0;    // the value the control holds, or will once the editor applies it
        bool pending = false; // held still to be shown by the control
        bool pushed = false;  // the pending value is a plug-in push, not a move
    };

    // slots: every control bound to a parameter 0..paramCount-1, in control order, with its value.
    void Bind(int paramCount, std::vector<Slot> slots);
    void Clear();
    bool Bound() const { return !slots.empty(); }

    // The controls bound to a parameter, in control order (none for an index out of range).
    int Count(int param) const;
    Slot& At(int param, int k) { return slots[static_cast<size_t>(first[static_cast<size_t>(param)] + k)]; }
    const Slot& At(int param, int k) const {
        return slots[static_cast<size_t>(first[static_cast<size_t>(param)] + k)];
    }

    // A value stored into every control of param (clamped as a control clamps it); `applied`
    // when the controls were given it already, otherwise it waits for the editor.
    void Push(int param, double value, bool applied);
    // A control moved to a value: it waits for the editor to show it.
    void Move(Slot& slot, double value);
    // A control sent a value of its own (a click, a drag): it holds that value already.
    void Took(const void* control, int param, double value);

    bool AnyPending() const { return anyPending; }
    // Hands every waiting value to show(controlIndex, value, pushed) and forgets it.
    template <class F> void TakePending(F show) {
        if (!anyPending) return;
        anyPending = false;
        for (Slot& slot : slots)
            if (slot.pending) {
                slot.pending = false;
                show(slot.controlIndex, slot.held, slot.pushed);
            }
    }

    // A value as a control clamps it: into 0..1, NaN to 0.
    static double Clamp(double v) {
        if (!(v >= 0.0)) return 0.0;
        return v > 1.0 ? 1.0 : v;
    }

private:
    std::vector<Slot> slots; // by parameter, then control order
    std::vector<int> first;  // per parameter: its first slot
    std::vector<int> count;  // per parameter: how many slots
    bool anyPending = false;
};

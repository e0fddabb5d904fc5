#include "ControlMirror.h"

#include <algorithm>
#include <utility>

void ControlMirror::Bind(int paramCount, std::vector<Slot> bound) {
    const size_t params = static_cast<size_t>(paramCount > 0 ? paramCount : 0);
    bound.erase(
        std::remove_if(bound.begin(), bound.end(),
                       [&](const Slot& s) { return s.param < 0 || static_cast<size_t>(s.param) >= params; }),
        bound.end());
    std::stable_sort(bound.begin(), bound.end(),
                     [](const Slot& a, const Slot& b) { return a.param < b.param; });
    slots = std::move(bound);
    first.assign(params, 0);
    count.assign(params, 0);
    for (size_t i = slots.size(); i-- > 0;) {
        const size_t p = static_cast<size_t>(slots[i].param);
        first[p] = static_cast<int>(i);
        ++count[p];
    }
    anyPending = false;
}

void ControlMirror::Clear() {
    slots.clear();
    first.clear();
    count.clear();
    anyPending = false;
}

int ControlMirror::Count(int param) const {
    return param >= 0 && static_cast<size_t>(param) < count.size() ? count[static_cast<size_t>(param)] : 0;
}

void ControlMirror::Push(int param, double value, bool applied) {
    const int n = Count(param);
    const double v = Clamp(value);
    for (int k = 0; k < n; ++k) {
        Slot& slot = At(param, k);
        slot.held = v;
        slot.pending = !applied;
        slot.pushed = true;
        anyPending |= !applied;
    }
}

void ControlMirror::Move(Slot& slot, double value) {
    slot.held = Clamp(value);
    slot.pending = true;
    slot.pushed = false;
    anyPending = true;
}

void ControlMirror::Took(const void* control, int param, double value) {
    const int n = Count(param);
    for (int k = 0; k < n; ++k) {
        Slot& slot = At(param, k);
        if (slot.control != control) continue;
        slot.held = Clamp(value);
        slot.pending = false;
    }
}

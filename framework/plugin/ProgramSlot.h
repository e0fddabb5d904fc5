#pragma once

#include "StateChunk.h"

// One host program: whether it ever held a state, its name, and that state.
struct ProgramSlot {
    bool filled = false;
    char name[256] = {};
    StateChunk chunk;
};

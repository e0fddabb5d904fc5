#pragma once

#include "ParameterList.h"

// The plug-in's 162 parameter indices: the contract shared by the state chunk,
// the change handler, the editor layout and the preset files. Made from ParameterList.h.
enum ParameterId : int {
#define VULPANE_PARAMETER_ID(identifier, index, ...) identifier = index,
    VULPANE_PARAMETERS(VULPANE_PARAMETER_ID) VULPANE_MODEL_BLOCKS(VULPANE_PARAMETER_ID)
#undef VULPANE_PARAMETER_ID
    kNumParams = 162,
};

constexpr int kNumModels = 16;
constexpr int kNumCabinets = 39;
// The last entries of the two lists: a list parameter's normalised value is its entry / last.
constexpr int kLastModel = kNumModels - 1;
constexpr int kLastCabinet = kNumCabinets - 1;

// The first index of each per-model block, in order.
#define VULPANE_BLOCK_FIRST(identifier, ...) identifier,
constexpr int kModelBlocks[] = {VULPANE_MODEL_BLOCKS(VULPANE_BLOCK_FIRST)};
#undef VULPANE_BLOCK_FIRST

// The identifier of a parameter index ("kGate", "kModelVolume+3"), for tools and messages.
// Writes into out (at least 32 bytes) and returns it.
const char* ParameterIdName(int index, char* out);
// The index named by an identifier as ParameterIdName writes it, or -1.
int FindParameterId(const char* name);

extern const char* const kModelNames[kNumModels];
extern const char* const kCabinetNames[kNumCabinets];

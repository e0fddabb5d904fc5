#include "ParameterIds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const kModelNames[kNumModels] = {
    "Clean 1",      "Clean 2",       "Clean 3",      "Clean 4",   "Piezo Acoustic", "Tube Creamer",
    "Fuzzz",        "Metal Charter", "Metal Machine", "Metal Style", "JGM900",       "Dirty Box",
    "Darktorsion",  "Bat",           "Poltergeist",  "Noise Soldier",
};

const char* const kCabinetNames[kNumCabinets] = {
    "Cabinet Off",   "Vulpane CAB1", "Vulpane CAB2",  "Selection G12H", "Mandarin 4x12", "Vulpane CAB3",
    "Hit Watt",      "Mpeg+Marsall", "Cox",           "Phender DR",     "Harley Beton",  "Vulpane CAB4",
    "SLO 100",       "4x12 CAB+eq1", "Metal Style",   "4x12 CAB+eq2",   "JGM 900",       "Randoll",
    "PowerDude 1",   "PowerDude 2",  "Vulpane CAB5",  "HighWidth4x12",  "Meza style",    "Mpeg 8x10",
    "Fender P.man",  "CAB 4x12",     "Meza 2x12 A",   "Diesel 4x12",    "Sidewinter",    "Pro Jr.",
    "Vulpane CAB6",  "Marsall 1960", "Meza Cookie",   "Death Metal",    "Metal Maestro", "Modern 1",
    "Modern 2",      "Modern 3",     "90s Spirit",
};

namespace {
struct NamedIndex {
    const char* name;
    int index;
};
#define VULPANE_NAMED_INDEX(identifier, index, ...) {#identifier, identifier},
constexpr NamedIndex kSingles[] = {VULPANE_PARAMETERS(VULPANE_NAMED_INDEX)};
constexpr NamedIndex kBlocks[] = {VULPANE_MODEL_BLOCKS(VULPANE_NAMED_INDEX)};
#undef VULPANE_NAMED_INDEX
} // namespace

const char* ParameterIdName(int index, char* out) {
    for (const NamedIndex& s : kSingles)
        if (s.index == index) {
            std::snprintf(out, 32, "%s", s.name);
            return out;
        }
    for (const NamedIndex& b : kBlocks)
        if (index >= b.index && index < b.index + kNumModels) {
            std::snprintf(out, 32, "%s+%d", b.name, index - b.index);
            return out;
        }
    std::snprintf(out, 32, "%d", index);
    return out;
}

int FindParameterId(const char* name) {
    for (const NamedIndex& s : kSingles)
        if (std::strcmp(s.name, name) == 0) return s.index;
    for (const NamedIndex& b : kBlocks) {
        const size_t n = std::strlen(b.name);
        if (std::strncmp(b.name, name, n) == 0 && name[n] == '+') {
            char* end = nullptr;
            const long m = std::strtol(name + n + 1, &end, 10);
            if (end && *end == '\0' && m >= 0 && m < kNumModels) return b.index + static_cast<int>(m);
        }
    }
    return -1;
}

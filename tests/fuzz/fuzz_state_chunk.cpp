// The state chunk a host hands back (effSetChunk): the first byte picks a program or a bank
// chunk, the rest is the chunk.
#include "FuzzedPlugin.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    HostedPlugin& plugin = FuzzedPlugin();
    const int isProgram = data[0] & 1;
    std::vector<char> chunk(data + 1, data + size);
    plugin.Dispatch(effSetChunk, isProgram, static_cast<intptr_t>(chunk.size()), chunk.data());
    CheckPluginInvariants(plugin);
    CheckChunkRoundTrip(plugin, isProgram);
    return 0;
}

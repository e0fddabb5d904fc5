// The library's only exported entry: VSTPluginMain, also exported as main.
#include "VstEntry.h"

#include "Lock.h"

#include <new>

#if defined(_WIN32)
#define VST_EXPORT extern "C" __declspec(dllexport)
#else
#define VST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
// Two instances are never constructed at the same time.
RecursiveLock& ConstructionLock() {
    static RecursiveLock lock;
    return lock;
}
} // namespace

VST_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback hostCallback) {
    ScopedLock<RecursiveLock> hold(ConstructionLock());
    IVstAdapter* plugin = CreateVstPlugin(hostCallback);
    if (!plugin) return nullptr;
    plugin->EnsureProgram();
    AEffect* effect = plugin->Effect();
    if (effect->numPrograms < 1) effect->numPrograms = 1;
    return effect;
}

#if !defined(_WIN32)
// Old hosts look the entry up under this name.
VST_EXPORT AEffect* main_entry(audioMasterCallback hostCallback) __asm__("main");
VST_EXPORT AEffect* main_entry(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
#endif

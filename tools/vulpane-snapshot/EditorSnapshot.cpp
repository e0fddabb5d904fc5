#include "EditorSnapshot.h"

#include "IRasterGraphics.h"
#include "ImageEncode.h"
#include "VstEntry.h"

AEffect* VST_CALL VulpaneInProcess(audioMasterCallback hostCallback) {
    IVstAdapter* plugin = CreateVstPlugin(hostCallback);
    if (!plugin) return nullptr;
    plugin->EnsureProgram();
    return plugin->Effect();
}

bool WriteEditorSnapshot(AEffect* effect, const std::string& fileName, std::string& error) {
    IVstAdapter* plugin = effect ? IVstAdapter::FromEffect(effect) : nullptr;
    auto* graphics = plugin ? dynamic_cast<IRasterGraphics*>(plugin->Editor()) : nullptr;
    if (!graphics || !graphics->DrawBitmapSurface()) {
        error = "the plug-in has no editor to draw";
        return false;
    }
    ScopedLock<PluginLock> hold(plugin->Lock());
    graphics->MarkAllDirty();
    graphics->Draw(IRect(0, 0, graphics->Width(), graphics->Height()));
    if (!EncodePng(graphics->DrawBitmapSurface(), fileName.c_str(), true)) {
        error = "cannot write " + fileName;
        return false;
    }
    return true;
}

#include "EditorSnapshot.h"

#include "IFileSelectorControl.h"
#include "IRasterGraphics.h"
#include "ITextFieldControl.h"
#include "ImageEncode.h"
#include "ImpulseBrowser.h"
#include "VstEntry.h"
#include "VulpanePlugin.h"

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

bool LoadSnapshotImpulse(AEffect* effect, const std::string& fileName, std::string& error) {
    auto* plugin = effect ? dynamic_cast<VulpanePlugin*>(IVstAdapter::FromEffect(effect)) : nullptr;
    auto* graphics = plugin ? dynamic_cast<IEditorGraphics*>(plugin->Editor()) : nullptr;
    auto* selector =
        graphics ? dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(plugin->Controls().fileSelector))
                 : nullptr;
    if (!selector) {
        error = "the plug-in has no impulse file selector";
        return false;
    }
    selector->SetSelectedFile(fileName.c_str());
    // Each choice toggles the selector's parameter, as a click does, so its handler runs.
    const float chosen = effect->getParameter(effect, kIrFile) < 0.5f ? 1.0f : 0.0f;
    effect->setParameter(effect, kIrFile, chosen);
    plugin->WaitForImpulseLoads(); // the load runs on the plug-in's loader thread
    if (!plugin->ImpulseError().empty()) {
        error = plugin->ImpulseError();
        return false;
    }
    return true;
}

bool OpenSnapshotView(AEffect* effect, const std::string& view, const std::string& text, std::string& error) {
    auto* plugin = effect ? dynamic_cast<VulpanePlugin*>(IVstAdapter::FromEffect(effect)) : nullptr;
    auto* graphics = plugin ? dynamic_cast<IEditorGraphics*>(plugin->Editor()) : nullptr;
    if (!graphics) {
        error = "the plug-in has no editor";
        return false;
    }
    if (view == "save") {
        plugin->Saver().Begin();
        auto* field = dynamic_cast<ITextFieldControl*>(graphics->TextField());
        if (!field || !field->IsOpen()) {
            error = "the editor has no text field";
            return false;
        }
        if (!text.empty()) {
            graphics->OnTextKey(ITextKey::kEnd, 0);
            for (int i = 0; i < ITextControl::kMaxText; ++i)
                graphics->OnTextKey(ITextKey::kBackspace, 0);
            for (unsigned char c : text)
                graphics->OnTextKey(ITextKey::kCharacter, c);
        }
        return true;
    }
    if (view == "browse") {
        effect->setParameter(effect, kPresetBrowse, 1.0f);
        effect->setParameter(effect, kPresetBrowse, 0.0f);
        return true;
    }
    if (view == "impulses") {
        auto* list = dynamic_cast<ImpulseBrowser*>(graphics->ControlAt(plugin->Controls().impulseBrowser));
        if (!list || !list->Enter(text)) {
            error = "cannot list the folder " + text;
            return false;
        }
        list->Open({text});
        return true;
    }
    error = "unknown view " + view + " (save, browse or impulses)";
    return false;
}

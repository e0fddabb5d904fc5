// Impulse responses from WAV files, as the user and the state meet them: the file selector's
// choice, previous/next through the chosen file's folder, the impulse a restored state or
// preset names, and the impulse field and messages. The loads themselves run on the loader
// thread (ImpulseLoading.cpp).
#include "IEditorGraphics.h"
#include "IFileSelectorControl.h"
#include "ITextControls.h"
#include "VulpanePlugin.h"

#include <algorithm>
#include <utility>

void VulpanePlugin::ChooseImpulseFile() {
    if (!graphics) return;
    auto* selector = dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(controls.fileSelector));
    if (!selector) return;
    std::string path;
    selector->SelectedFile(path);
    // The handler also runs for every restored state, which names no new file.
    if (restoringState || path.size() <= 4 || path.find_last_of("/\\") == std::string::npos) return;
    requestedIndex = -1;
    RequestImpulse({path, nullptr, chain.SampleRate(), false});
}

void VulpanePlugin::StepImpulseFile(int step) {
    if (impulseFiles.empty()) return;
    // Steps pressed while a load runs go on from the file that load brings.
    const int from = impulseRequest && requestedIndex >= 0 ? requestedIndex : impulseIndex;
    const int last = static_cast<int>(impulseFiles.size()) - 1;
    requestedIndex = std::clamp(from + step, 0, last);
    // The file's own name: on case-sensitive systems "x.WAV" is not "x.wav".
    RequestImpulse({impulseFolder + impulseFiles[static_cast<size_t>(requestedIndex)], nullptr, chain.SampleRate(), false});
}

void VulpanePlugin::RestoreImpulse(const std::string& path, std::shared_ptr<const ImpulseSource> carried) {
    if (path.empty()) return;
    const bool inPlace = path == impulseSourcePath && impulseSource && !impulseRequest;
    const bool onItsWay = impulseRequest && impulseRequest->path == path;
    // Nothing to do for the impulse in place or on its way, unless the song brings another copy.
    if (!carried && (inPlace || onItsWay)) return;
    if (carried && inPlace && impulseSource->stored.size() == carried->stored.size() &&
        impulseSource->checksum == carried->checksum)
        return;
    impulseSourcePath = path;
    impulseSource = carried;
    requestedIndex = -1;
    RequestImpulse({path, std::move(carried), chain.SampleRate(), true});
}

void VulpanePlugin::RecallImpulse(const std::string& path) {
    if (path.empty()) return;
    impulsePath = path;
    if (graphics)
        if (auto* selector = dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(controls.fileSelector)))
            selector->SetSelectedFile(path.c_str());
    RestoreImpulse(path, nullptr);
}

void VulpanePlugin::ShowImpulseField(const std::string& text) {
    if (!graphics) return;
    if (auto* name = dynamic_cast<ITextControl*>(graphics->ControlAt(controls.fileName)))
        name->ApplyPluginText(text.c_str());
}

void VulpanePlugin::QueueMessage(const std::string& text) {
    std::lock_guard<std::mutex> hold(messageMutex);
    pendingMessage = text;
}

// The editor's timer tick, on the window thread without the plug-in lock: the message of a
// failed load is shown here, where a modal box holds nothing up.
void VulpanePlugin::OnIdleHook() {
    std::string text;
    {
        std::lock_guard<std::mutex> hold(messageMutex);
        text.swap(pendingMessage);
    }
    if (!text.empty() && graphics) graphics->ShowMessage(text.c_str(), "Error");
}

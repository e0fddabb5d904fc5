// Impulse responses from WAV files, as the user and the state meet them: the file selector's
// choice, previous/next through the chosen file's folder, the impulse a restored state or
// preset names, the song's copy, and the impulse field and messages. The loads themselves run
// on the loader thread (ImpulseLoading.cpp).
#include "ImpulseLibrary.h"

#include "EditorControls.h"
#include "IEditorGraphics.h"
#include "IFileSelectorControl.h"
#include "ITextControls.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "SignalChain.h"
#include "StateChunk.h"

#include <algorithm>
#include <cmath>
#include <utility>

void ImpulseLibrary::Change(int index, double v) {
    // On the audio thread a choice or a step is left for the loader thread, like a recall.
    if (plugin.OnAudioThread() && (index == kIrFile || ((index == kIrPrev || index == kIrNext) && v > 0.5))) {
        if (index == kIrFile)
            chooseWaiting = true;
        else
            stepsWaiting += index == kIrNext ? 1 : -1;
        loader.Wake();
        return;
    }
    switch (index) {
    case kIrFile:
        Choose();
        break;
    case kIrPrev:
    case kIrNext:
        if (v > 0.5) Step(index == kIrNext ? 1 : -1);
        break;
    default:
        break;
    }
}

void ImpulseLibrary::Choose() {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    auto* selector = dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(plugin.Controls().fileSelector));
    if (!selector) return;
    std::string path;
    selector->SelectedFile(path);
    // The handler also runs for every restored state, which names no new file.
    if (plugin.Restoring() || path.size() <= 4 || path.find_last_of("/\\") == std::string::npos) return;
    // A host replaying the button's automation chooses the same file again and again; the load of
    // that file already on its way goes on rather than start over each time.
    if (pending && pending->path == path && !pending->quiet) return;
    pendingEntry = -1;
    Request({path, nullptr, plugin.ChainSettings().SampleRate(), false});
}

void ImpulseLibrary::Step(int step) {
    if (files.empty()) return;
    // Steps pressed while a load runs go on from the file that load brings.
    const int from = pending && pendingEntry >= 0 ? pendingEntry : entry;
    const int last = static_cast<int>(files.size()) - 1;
    pendingEntry = std::clamp(from + step, 0, last);
    // The file's own name: on case-sensitive systems "x.WAV" is not "x.wav".
    Request({folder + files[static_cast<size_t>(pendingEntry)], nullptr, plugin.ChainSettings().SampleRate(),
             false});
}

void ImpulseLibrary::StorePath(const std::string& path) {
    storedPath = path;
    ShowSelectedFile(path);
}

void ImpulseLibrary::Restore(const std::string& path, std::shared_ptr<const ImpulseSource> carried) {
    if (path.empty()) return;
    const bool inPlace = path == sourcePath && source && !pending;
    const bool onItsWay = pending && pending->path == path;
    // Nothing to do for the impulse in place or on its way, unless the song brings another copy.
    if (!carried && (inPlace || onItsWay)) return;
    if (carried && inPlace && source->stored.size() == carried->stored.size() &&
        source->checksum == carried->checksum)
        return;
    sourcePath = path;
    source = carried;
    pendingEntry = -1;
    Request({path, std::move(carried), plugin.ChainSettings().SampleRate(), true});
}

ImpulseLibrary::ImpulseLibrary(PluginServices& plugin) : plugin(plugin) {
    waitingRecall.reserve(kRecallRoom);
    loader.SetWakeJob([this] {
        ScopedLock<PluginLock> hold(this->plugin.PluginMutex());
        TakeWaitingWork();
    });
}

void ImpulseLibrary::Recall(const std::string& path) {
    if (path.empty()) return;
    if (plugin.OnAudioThread() && path.size() <= kRecallRoom) {
        waitingRecall.assign(path);
        recallWaiting = true;
        loader.Wake();
        return;
    }
    recallWaiting = false; // this recall comes after the one waiting
    StorePath(path);
    Restore(path, nullptr);
}

void ImpulseLibrary::TakeWaitingWork() {
    if (recallWaiting) {
        recallWaiting = false;
        StorePath(waitingRecall);
        Restore(waitingRecall, nullptr);
    }
    if (chooseWaiting) {
        chooseWaiting = false;
        Choose();
    }
    for (; stepsWaiting != 0; stepsWaiting -= stepsWaiting > 0 ? 1 : -1)
        Step(stepsWaiting > 0 ? 1 : -1);
}

// The impulse follows the host rate, so the convolved sound does not change with it; a load on
// its way starts again for the new rate.
void ImpulseLibrary::FollowRate() {
    const double rate = plugin.ChainSettings().SampleRate();
    if (pending) {
        if (pending->rate == rate) return;
        ImpulseRequest again = *pending;
        again.rate = rate;
        Request(std::move(again));
    } else if (source && installedRate != rate) {
        Request({"", source, rate, true});
    }
}

// The impulse's samples at the file's rate: double rate, int frame count, the checksum, then
// the frames as 32-bit floats. Only for the impulse of the stored path, up to kMaxCarriedImpulse.
void ImpulseLibrary::WriteCarried(StateChunk& payload) const {
    if (!source || sourcePath != storedPath) return;
    const std::vector<float>& stored = source->stored;
    if (stored.empty() || stored.size() > kMaxCarriedImpulse) return;
    payload.PutValue(source->rate);
    payload.PutValue(static_cast<int32_t>(stored.size()));
    payload.PutValue(source->checksum);
    payload.PutBytes(stored.data(), static_cast<int>(stored.size() * sizeof(float)));
}

// The copy is checked against its checksum on the loader thread, which also makes its samples.
void ImpulseLibrary::ReadCarried(const StateChunk& chunk, int position, int length) {
    if (position < 0) return;
    auto carried = std::make_shared<ImpulseSource>();
    int32_t frames = 0;
    int at = chunk.GetValue(carried->rate, position);
    at = chunk.GetValue(frames, at);
    at = chunk.GetValue(carried->checksum, at);
    if (at < 0 || frames <= 0 || static_cast<size_t>(frames) > kMaxCarriedImpulse ||
        length != 16 + frames * static_cast<int>(sizeof(float)) || !std::isfinite(carried->rate) ||
        carried->rate <= 0.0)
        return;
    carried->stored.resize(static_cast<size_t>(frames));
    if (chunk.GetBytes(carried->stored.data(), frames * static_cast<int>(sizeof(float)), at) < 0) return;
    Restore(storedPath, std::move(carried));
}

void ImpulseLibrary::ShowField(const std::string& text) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    if (auto* name = dynamic_cast<ITextControl*>(graphics->ControlAt(plugin.Controls().fileName)))
        name->ApplyPluginText(text.c_str());
}

void ImpulseLibrary::ShowSelectedFile(const std::string& file) {
    if (IEditorGraphics* graphics = plugin.Graphics())
        if (auto* selector =
                dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(plugin.Controls().fileSelector)))
            selector->SetSelectedFile(file.c_str());
}

void ImpulseLibrary::QueueMessage(const std::string& text) {
    std::lock_guard<std::mutex> hold(messageMutex);
    pendingMessage = text;
}

// The editor's timer tick, on the window thread without the plug-in lock: the message of a
// failed load is shown here, where a modal box holds nothing up.
void ImpulseLibrary::ShowQueuedMessage() {
    std::string text;
    {
        std::lock_guard<std::mutex> hold(messageMutex);
        text.swap(pendingMessage);
    }
    IEditorGraphics* graphics = plugin.Graphics();
    if (!text.empty() && graphics) graphics->ShowMessage(text.c_str(), "Error");
}

#pragma once

#include "ImpulseLoader.h"
#include "ImpulseSource.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class ConvolutionEngine;
class IFreqResponseControl;
class PluginServices;
class StateChunk;

// Impulse responses from WAV files, as the user and the state meet them: the file selector's
// choice, previous/next through the chosen file's folder, the impulse a restored state or preset
// names, the copy a song carries, and the impulse field and error messages. Loads run on the
// loader thread; only the hand-over takes the plug-in lock. A failed load leaves the impulse,
// the listing and the stored path as they were; a restored path stays stored even when its file
// is missing. Except where noted, calls come under the plug-in lock.
class ImpulseLibrary {
public:
    explicit ImpulseLibrary(PluginServices& plugin);
    // The loader stops first: a load still running gives up and frees what it prepared.
    ~ImpulseLibrary() { Stop(); }
    void Stop() { loader.Stop(); }

    // The stored path, the chosen file's folder with its trailing separator, the WAV names
    // there without extension, the entry shown (-1 for none), and the last error shown to the
    // user ("" after a successful load).
    const std::string& Path() const { return storedPath; }
    const std::string& Folder() const { return folder; }
    const std::vector<std::string>& Names() const { return names; }
    int Index() const { return entry; }
    const std::string& Error() const { return error; }
    // Whether a load is on its way (lock-free, for the audio thread), and the wait until it is in
    // place or given up (never while holding the plug-in lock). Tests can also hold the loader
    // mid-way.
    bool Loading() const { return loader.Busy(); }
    void WaitForLoads() { loader.WaitIdle(); }
    void HoldLoads(bool hold) { loader.Hold(hold); }

    // kIrFile, kIrPrev and kIrNext changed to v.
    void Change(int index, double v);
    // A state's path: stored and shown in the file selector, loaded by Restore afterwards.
    void StorePath(const std::string& path);
    // Loads the impulse a restored state names, unless it is the one in place or on its way.
    void Restore(const std::string& path, std::shared_ptr<const ImpulseSource> carried);
    // A preset's impulse: stored as the state's path and restored. On the audio thread the path
    // is kept (without allocating, up to kRecallRoom bytes) and the loader thread recalls it, as
    // it does a file choice or step made there; a load is on its way (Loading) from the call on,
    // and TakeWaitingWork does what waits at once.
    void Recall(const std::string& path);
    void TakeWaitingWork();
    static constexpr size_t kRecallRoom = 4096;
    // The host rate changed: the impulse in place or on its way is prepared again for it.
    void FollowRate();
    // The song's copy of the impulse (the 'IRSM' state record).
    void WriteCarried(StateChunk& payload) const;
    void ReadCarried(const StateChunk& chunk, int position, int length);
    // On the window thread without the plug-in lock: shows the message of a failed load.
    void ShowQueuedMessage();

private:
    struct Result;
    void Choose();
    void Step(int step);
    void Request(ImpulseRequest request);
    void Run(const ImpulseRequest& request, uint64_t serial);
    void Prepare(const ImpulseRequest& request, uint64_t serial);
    void Apply(const ImpulseRequest& request, Result& result, uint64_t serial);
    // What an installed impulse replaced, freed once the plug-in lock is released (the engine
    // it replaced comes back from the audio thread through ChainChanges).
    struct Replaced {
        std::shared_ptr<const ImpulseSource> source;
        std::vector<std::string> files;
    };
    // Under the plug-in lock: installs the result; returns the response display to redraw from
    // it (null: none), with the rate to draw it for.
    IFreqResponseControl* Install(const ImpulseRequest& request, Result& result, uint64_t serial,
                                  Replaced& replaced, double& rate);
    void ShowField(const std::string& text);
    void ShowSelectedFile(const std::string& file);
    void QueueMessage(const std::string& text);

    PluginServices& plugin;
    std::string storedPath;
    std::string folder;
    std::vector<std::string> names;
    std::vector<std::string> files; // the full file names behind names
    std::string error;
    int entry = -1;
    // The impulse the state names and carries, and the stored path it belongs to.
    std::shared_ptr<const ImpulseSource> source;
    std::string sourcePath;
    double installedRate = 0.0;
    std::shared_ptr<const ImpulseRequest> pending; // the load on its way, if any
    int pendingEntry = -1;                         // the listing entry it brings
    std::string waitingRecall; // the path a recall on the audio thread left for the loader
    bool recallWaiting = false;
    bool chooseWaiting = false;
    int stepsWaiting = 0;
    std::mutex messageMutex;
    std::string pendingMessage;
    ImpulseLoader loader;
};

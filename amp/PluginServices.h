#pragma once

#include "IPluginBase.h"
#include "Lock.h"

class IEditorGraphics;
class SignalChain;
struct EditorControls;

// The signal chain, held against the audio thread for as long as this object lives: a change
// takes it for the constant-time hand-over of a setting and releases it at the end of the
// statement (`plugin.Chain()->SetGateEnabled(on)`).
class ChainAccess {
public:
    ChainAccess(RecursiveLock& audioLock, SignalChain& chain) : hold(audioLock), chain(chain) {}
    SignalChain* operator->() const { return &chain; }
    SignalChain& operator*() const { return chain; }

private:
    ScopedLock<RecursiveLock> hold;
    SignalChain& chain;
};

// What a part of the plug-in (impulse library, preset browser, tuner view, editor feedback)
// may ask the plug-in for. VulpanePlugin implements it; a part holds nothing else of it.
class PluginServices {
public:
    // The plug-in lock, which every change holds; the audio path only tries it.
    virtual PluginLock& PluginMutex() = 0;
    virtual ChainAccess Chain() = 0;
    // The chain's settings, to read under the plug-in lock (only a change writes them).
    virtual const SignalChain& ChainSettings() const = 0;
    // The editor's graphics (null while there is none) and the handles of its controls.
    virtual IEditorGraphics* Graphics() const = 0;
    virtual const EditorControls& Controls() const = 0;
    virtual double ParamValue(int index) const = 0;
    virtual double ParamNormalized(int index) const = 0;
    // Moves a parameter as its editor control would, so its change handler runs.
    virtual void MoveParameter(int index, double normalizedValue) = 0;
    // True on the thread that runs the audio blocks: work there must not allocate or wait.
    virtual bool OnAudioThread() const = 0;
    // True while a stored state comes back: buttons do not act and linked values are not re-derived.
    virtual bool Restoring() const = 0;

protected:
    ~PluginServices() = default;
};

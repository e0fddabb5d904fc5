#pragma once

#include "ChainChanges.h"
#include "IPluginBase.h"

class IEditorGraphics;
class SignalChain;
struct EditorControls;

// What a part of the plug-in (impulse library, preset browser, tuner view, editor feedback)
// may ask the plug-in for. VulpanePlugin implements it; a part holds nothing else of it.
class PluginServices {
public:
    // The plug-in lock, which every change holds; the audio path only tries it.
    virtual PluginLock& PluginMutex() = 0;
    // Changes of the chain's settings go through ChainChanges, by the route the calling thread
    // takes (ChainRoute); ChangeChain posts one by that route.
    virtual ChainChanges& Changes() = 0;
    virtual ChainChanges::Route ChainRoute() const = 0;
    void ChangeChain(ChainChanges::Op op, double a = 0.0, double b = 0.0) {
        Changes().Post(ChainRoute(), op, a, b);
    }
    // The chain's rate, which only changes while no blocks run.
    virtual const SignalChain& ChainSettings() const = 0;
    // The editor's graphics (null while there is none) and the handles of its controls.
    virtual IEditorGraphics* Graphics() const = 0;
    virtual const EditorControls& Controls() const = 0;
    virtual double ParamValue(int index) const = 0;
    virtual double ParamNormalized(int index) const = 0;
    // Moves a parameter as its editor control would: the handler runs and the host is told when
    // the value changes; the control shows it on the editor's next idle.
    virtual void MoveParameter(int index, double normalizedValue) = 0;
    // Moves only the controls bound to a parameter (nothing when none is bound), as MoveParameter.
    virtual void MoveControls(int index, double normalizedValue) = 0;
    // What the editor's bound controls hold.
    virtual const ControlMirror& ControlsMirror() const = 0;
    // True on the thread that runs the audio blocks: work there must not allocate or wait.
    virtual bool OnAudioThread() const = 0;
    // True while a stored state comes back: buttons do not act and linked values are not re-derived.
    virtual bool Restoring() const = 0;

protected:
    ~PluginServices() = default;
};

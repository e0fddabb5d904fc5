#pragma once

#include "IPluginBase.h"

class IEditorGraphics;
class SignalChain;
struct EditorControls;

// What a part of the plug-in (impulse library, preset browser, tuner view, editor feedback)
// may ask the plug-in for. VulpanePlugin implements it; a part holds nothing else of it.
class PluginServices {
public:
    // The plug-in lock, which every change and the audio path hold.
    virtual PluginLock& PluginMutex() = 0;
    virtual SignalChain& Chain() = 0;
    // The editor's graphics (null while there is none) and the handles of its controls.
    virtual IEditorGraphics* Graphics() const = 0;
    virtual const EditorControls& Controls() const = 0;
    virtual double ParamValue(int index) const = 0;
    virtual double ParamNormalized(int index) const = 0;
    // Moves a parameter as its editor control would, so its change handler runs.
    virtual void MoveParameter(int index, double normalizedValue) = 0;
    // True while a stored state comes back: buttons do not act and linked values are not re-derived.
    virtual bool Restoring() const = 0;

protected:
    ~PluginServices() = default;
};

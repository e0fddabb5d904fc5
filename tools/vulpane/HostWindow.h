#pragma once

#include "LiveEngine.h"

#include <X11/Xlib.h>

#include <string>

class HostedPlugin;

// The program's top-level X11 window titled "Vulpane": the plug-in's editor as its child (opened
// with effEditOpen on this window, sized from effEditGetRect) above a status strip with the JACK
// format, latency, DSP load, xruns and an input peak meter with a clip lamp (a click resets it).
class HostWindow {
public:
    explicit HostWindow(HostedPlugin& plugin) : plugin(plugin) {}
    ~HostWindow() { Close(); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool Open(std::string& error);
    // Handles the window's events; false once the user closed it.
    bool Pump(LiveEngine& engine);
    // The editor's idle (its redraw and mouse handling), every ~40 ms.
    void IdleEditor();
    void ShowStatus(const LiveStatus& status);
    void Close();

private:
    void DrawStrip();
    unsigned long Color(unsigned rgb);

    HostedPlugin& plugin;
    Display* display = nullptr;
    Window window = 0;
    Pixmap strip = 0;
    GC gc = nullptr;
    XFontStruct* font = nullptr;
    Atom deleteWindow = 0;
    bool editorOpen = false;
    int editorWidth = 0, editorHeight = 0, width = 0;
    LiveStatus shown;
    float meterPeak = 0.0f; // the meter's needle: rises at once, falls slowly
    bool closed = false;
};

#pragma once

#include "IGraphicsTypes.h"

#include <string>

class IControl;
class IParameter;
class IPlatformGraphics;
class IRaster;
class ITextControl;

// What the graphics object needs from the operating system's window layer. Each platform
// (Win32, X11, headless) implements it; the graphics logic sees no window types. The window
// calls the graphics object's event entry points, its dirty scan on every timer tick and
// its Draw on paint.
class IEditorWindow {
public:
    virtual ~IEditorWindow() = default;
    // Opens (or re-opens at the old place and size) the child window of parent; returns its
    // handle or null.
    virtual void* Open(IPlatformGraphics* graphics, void* parent) = 0;
    virtual void Close() = 0;
    virtual void* Handle() const = 0;
    // Copies rect of the draw bitmap to the screen.
    virtual void Present(IRaster* drawBitmap, const IRect& rect) = 0;
    // After the draw bitmap has been resized.
    virtual void Resized(int oldWidth, int oldHeight, int newWidth, int newHeight) = 0;
    virtual void AskParameterValue(IControl* control, IParameter* param) = 0;
    virtual void OpenTextEditor(ITextControl* control) = 0;
    // outFileName is emptied first; stays empty when cancelled or while closed.
    virtual void AskForFile(std::string& outFileName, int action, const char* folder,
                            const char* extensions) = 0;
    // Whether AskForFile can show a file dialog now (open, and a dialog program installed).
    virtual bool HasFileDialog() const { return false; }
    virtual bool AskForColour(IColorARGB& colour, const char* prompt) = 0;
    virtual bool OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                             const char* errorMessage) = 0;
    // A message for the user with an OK button (errors use the caption "Error"); shown even
    // while the window is closed where the platform can.
    virtual void ShowMessage(const char* text, const char* caption) {
        (void)text;
        (void)caption;
    }
    virtual void HostFolder(std::string& out) = 0;
    virtual void ModuleFolder(std::string& out) = 0;
    // Pumps events for hosts that drive the editor through idle calls.
    virtual void Idle() {}
};

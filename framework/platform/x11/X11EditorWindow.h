#pragma once

#include "IEditorWindow.h"
#include "X11Input.h"

#include <string>

struct _XDisplay;
struct _XGC;
union _XEvent;

// The editor as an X11 child window of the host's window. It keeps its own display
// connection and does all its work when the host calls idle (every 40-50 ms): it pumps its
// events, then runs the dirty scan and copies what was drawn to the window. X errors on its
// own connection are swallowed, so a host that destroys its window first does not die.
// The file dialog and messages are the desktop's dialog programs. Text is typed into the
// editor's own text field (value entry included); when no key reaches the window within
// kTextKeyWaitMs of the field opening (a host that keeps the keys), the desktop's text question
// asks instead. There is no colour chooser on X11.
class X11EditorWindow : public IEditorWindow {
public:
    X11EditorWindow() = default;
    ~X11EditorWindow() override;
    X11EditorWindow(const X11EditorWindow&) = delete;
    X11EditorWindow& operator=(const X11EditorWindow&) = delete;

    // parent is the host's X window id. Null when there is no parent, no display or the
    // parent is not a window.
    void* Open(IPlatformGraphics* graphics, void* parent) override;
    void Close() override;
    void* Handle() const override;
    void Present(IRaster* drawBitmap, const IRect& rect) override;
    void Resized(int oldWidth, int oldHeight, int newWidth, int newHeight) override;
    static constexpr long kTextKeyWaitMs = 2500;
    void AskParameterValue(IControl* control, IParameter* param) override;
    void OpenTextEditor(ITextControl* control) override;
    void AskForFile(std::string& outFileName, int action, const char* folder,
                    const char* extensions) override;
    bool HasFileDialog() const override;
    bool AskForColour(IColorARGB&, const char*) override { return false; }
    bool OpenWebPage(const char*, const char*, const char*, const char*) override { return false; }
    // Recorded as "<caption>: <text>" and shown in the desktop's dialog, open or closed, without
    // waiting for it; with no display or dialog program it is only recorded.
    void ShowMessage(const char* text, const char* caption) override;
    const std::string& LastMessage() const { return lastMessage; }
    void HostFolder(std::string& out) override;
    void ModuleFolder(std::string& out) override;
    void Idle() override;

private:
    void OnEvent(_XEvent& event);
    void ReleaseWindow();
    void PutPixels(IRaster* bitmap, const IRect& area);
    void AskTextIfNoKeys();

    _XDisplay* display = nullptr;
    unsigned long window = 0;
    _XGC* gc = nullptr;
    IPlatformGraphics* graphics = nullptr;
    IRect exposed;
    IClickTimer clicks;
    bool captured = false;
    bool trackingLeave = false;
    bool inIdle = false;
    bool directImage = false; // the visual takes our 32-bit pixels as they are
    std::string lastMessage;
    ITextControl* textEntry = nullptr; // the field waiting for its first key
    long long textEntryOpened = 0;     // when, in steady milliseconds
};

#pragma once

#include "IEditorWindow.h"

#include <windows.h>

// The editor as a Win32 child window of the host's window. A repeating timer runs the dirty
// scan and invalidates what changed; the paint handler draws it into the draw bitmap and
// copies that to the screen. Mouse, wheel and key messages become the graphics object's events.
class Win32EditorWindow : public IEditorWindow {
public:
    static constexpr UINT_PTR kTimerId = 2;

    Win32EditorWindow();
    ~Win32EditorWindow() override;
    Win32EditorWindow(const Win32EditorWindow&) = delete;
    Win32EditorWindow& operator=(const Win32EditorWindow&) = delete;

    void* Open(IPlatformGraphics* graphics, void* parent) override;
    void Close() override;
    void* Handle() const override { return window; }
    void Present(IRaster* drawBitmap, const IRect& rect) override;
    void Resized(int oldWidth, int oldHeight, int newWidth, int newHeight) override;
    void AskParameterValue(IControl* control, IParameter* param) override;
    void OpenTextEditor(ITextControl* control) override;
    bool HasFileDialog() const override { return window != nullptr; }
    void AskForFile(std::string& outFileName, int action, const char* folder,
                    const char* extensions) override;
    bool AskForColour(IColorARGB& colour, const char* prompt) override;
    void ShowMessage(const char* text, const char* caption) override;
    bool OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                     const char* errorMessage) override;
    void HostFolder(std::string& out) override;
    void ModuleFolder(std::string& out) override;

    // The timer period for a frame rate: int(1000 / rate) ms, a rate <= 0 counting as 24.
    static UINT TimerPeriod(int frameRate);
    // The editor's key code for a virtual key, -1 for keys it ignores.
    static int EditorKeyCode(WPARAM virtualKey);
    // The library (or program) this code is linked into.
    static HINSTANCE ModuleInstance();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnTimer();
    void PopupTick();
    void CommitPopup();
    void DestroyPopup();
    void ReleaseClass();

    enum PopupState { kIdle = 0, kFocused = 1, kRefresh = 2, kCancel = 3, kCommit = 4 };

    IPlatformGraphics* graphics = nullptr;
    HWND window = nullptr;
    HWND parent = nullptr;
    HDC paintContext = nullptr; // inside WM_PAINT
    bool holdsClass = false;
    // The text-entry popup.
    HWND popup = nullptr;
    IControl* popupControl = nullptr;
    IParameter* popupParam = nullptr;
    WNDPROC popupPrevious = nullptr;
    int popupState = kIdle;
    bool popupIsCombo = false;
    HFONT popupFont = nullptr;
    COLORREF customColours[16] = {};
};

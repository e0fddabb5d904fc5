#pragma once

#include "IEditorWindow.h"
#include "IRasterGraphics.h"
#include "ITextRenderer.h"

#include <memory>

// The graphics object's platform layer: the screen, system text and dialogs, through a
// window service and a text renderer. Without a window service it is headless: it never
// opens, presents nothing and answers every dialog with nothing.
class IPlatformGraphics : public IRasterGraphics {
public:
    IPlatformGraphics(IPluginBase* plugin, int width, int height, int frameRate = 0,
                      std::unique_ptr<IEditorWindow> window = nullptr,
                      std::unique_ptr<ITextRenderer> text = NewSystemTextRenderer());
    ~IPlatformGraphics() override;

    bool PresentRect(const IRect& rect) override;
    bool DrawText(const ITextStyle& style, const char* text, const IRect& rect) override;
    int MeasureText(const ITextStyle& style, const char* text) override;
    void Resize(int newWidth, int newHeight) override;
    bool HasWindow() const override;
    void OpenTextEditor(ITextControl* control) override;
    void AskParameterValue(IControl* control, IParameter* param) override;
    void HostFolder(std::string& out) override;
    void ModuleFolder(std::string& out) override;
    void AskForFile(std::string& outFileName, int action, const char* folder,
                    const char* extensions) override;
    bool HasFileDialog() const override { return window && window->HasFileDialog(); }
    bool AskForColour(IColorARGB& colour, const char* prompt) override;
    bool OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                     const char* errorMessage) override;
    void ShowMessage(const char* text, const char* caption) override;
    // Marks every control dirty once the window is open, so the first tick paints it all.
    int CreateEditorWindow(void* parent) override;
    void DestroyEditorWindow() override;
    void* WindowHandle() override;
    void Idle() override;

    IEditorWindow* Window() const { return window.get(); }

private:
    std::unique_ptr<IEditorWindow> window;
    std::unique_ptr<ITextRenderer> text;
};

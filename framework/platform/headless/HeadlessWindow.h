#pragma once

#include "IEditorWindow.h"

#include <deque>
#include <string>
#include <vector>

// An editor window without a screen, for tests and off-screen rendering: it "opens",
// records what the graphics object asks of it, answers file dialogs from a queue, and
// runs the timer tick on request.
class HeadlessWindow : public IEditorWindow {
public:
    struct Prompt {
        IControl* control;
        IParameter* param;
    };
    struct FileRequest {
        int action;
        std::string folder;
        std::string extensions;
    };

    void* Open(IPlatformGraphics* graphics, void* parent) override;
    void Close() override;
    void* Handle() const override { return open ? const_cast<HeadlessWindow*>(this) : nullptr; }
    void Present(IRaster* drawBitmap, const IRect& rect) override;
    void Resized(int oldWidth, int oldHeight, int newWidth, int newHeight) override;
    void AskParameterValue(IControl* control, IParameter* param) override;
    void OpenTextEditor(ITextControl* control) override;
    void AskForFile(std::string& outFileName, int action, const char* folder,
                    const char* extensions) override;
    bool HasFileDialog() const override { return fileDialog; }
    bool AskForColour(IColorARGB& colour, const char* prompt) override;
    bool OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                     const char* errorMessage) override;
    // Recorded in messages as "message <caption>: <text>".
    void ShowMessage(const char* text, const char* caption) override;
    void HostFolder(std::string& out) override { out = hostFolder; }
    void ModuleFolder(std::string& out) override { out = moduleFolder; }

    // One timer tick: the dirty scan, then a paint of what it found. Returns whether it painted.
    bool Tick();
    // The next file dialog answers this name (an empty name is a cancel).
    void QueueFileAnswer(const std::string& name) { fileAnswers.push_back(name); }

    IPlatformGraphics* graphics = nullptr;
    void* parent = nullptr;
    bool open = false;
    bool fileDialog = true; // answers from the queue; false stands for a system without a dialog

    int presentCount = 0;
    IRect lastPresent;
    std::vector<Prompt> prompts;
    std::vector<ITextControl*> textEditors;
    std::vector<FileRequest> fileRequests;
    std::vector<std::string> messages;
    std::string hostFolder;
    std::string moduleFolder;

private:
    std::deque<std::string> fileAnswers;
};

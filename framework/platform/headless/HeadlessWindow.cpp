#include "HeadlessWindow.h"
#include "IPlatformGraphics.h"

void* HeadlessWindow::Open(IPlatformGraphics* owner, void* parentWindow) {
    graphics = owner;
    parent = parentWindow;
    open = true;
    messages.push_back("open");
    return this;
}

void HeadlessWindow::Close() {
    open = false;
    messages.push_back("close");
}

void HeadlessWindow::Present(IRaster*, const IRect& rect) {
    ++presentCount;
    lastPresent = rect;
}

void HeadlessWindow::Resized(int, int, int newWidth, int newHeight) {
    messages.push_back("resize " + std::to_string(newWidth) + "x" + std::to_string(newHeight));
}

void HeadlessWindow::AskParameterValue(IControl* control, IParameter* param) {
    prompts.push_back(Prompt{control, param});
}

void HeadlessWindow::OpenTextEditor(ITextControl* control) {
    textEditors.push_back(control);
}

void HeadlessWindow::AskForFile(std::string& outFileName, int action, const char* folder,
                                const char* extensions) {
    outFileName.clear();
    fileRequests.push_back(FileRequest{action, folder ? folder : "", extensions ? extensions : ""});
    if (!fileAnswers.empty()) {
        outFileName = fileAnswers.front();
        fileAnswers.pop_front();
    }
}

bool HeadlessWindow::AskForColour(IColorARGB&, const char* prompt) {
    messages.push_back(std::string("colour ") + (prompt ? prompt : ""));
    return false;
}

bool HeadlessWindow::OpenWebPage(const char* url, const char*, const char*, const char*) {
    messages.push_back(std::string("web ") + (url ? url : ""));
    return false;
}

bool HeadlessWindow::Tick() {
    if (!graphics || !open) return false;
    IRect dirty;
    if (!graphics->NeedsRedraw(dirty)) return false;
    graphics->Draw(dirty);
    return true;
}

void HeadlessWindow::ShowMessage(const char* text, const char* caption) {
    messages.push_back(std::string("message ") + (caption ? caption : "") + ": " + (text ? text : ""));
}

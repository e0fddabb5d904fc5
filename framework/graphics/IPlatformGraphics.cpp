#include "IPlatformGraphics.h"
#include "SystemRaster.h"

IPlatformGraphics::IPlatformGraphics(IPluginBase* owner, int w, int h, int fps,
                                     std::unique_ptr<IEditorWindow> win,
                                     std::unique_ptr<ITextRenderer> renderer)
    : IRasterGraphics(owner, w, h, fps), window(std::move(win)), text(std::move(renderer)) {}

IPlatformGraphics::~IPlatformGraphics() {
    DestroyEditorWindow();
}

bool IPlatformGraphics::PresentRect(const IRect& rect) {
    if (window && window->Handle()) window->Present(drawBitmap, rect);
    return true;
}

bool IPlatformGraphics::DrawText(const ITextStyle& style, const char* string, const IRect& rect) {
    if (!string || !*string || !text || !drawBitmap) return true;
    return text->DrawText(drawBitmap, drawRect, style, string, rect);
}

int IPlatformGraphics::MeasureText(const ITextStyle& style, const char* string) {
    if (!string || !*string) return 0;
    if (!text || !drawBitmap) return -1;
    return text->TextWidth(drawBitmap, style, string);
}

void IPlatformGraphics::Resize(int newWidth, int newHeight) {
    const int oldWidth = width, oldHeight = height;
    IRasterGraphics::Resize(newWidth, newHeight);
    if (window && window->Handle()) window->Resized(oldWidth, oldHeight, newWidth, newHeight);
}

bool IPlatformGraphics::HasWindow() const {
    return window && window->Handle();
}

void IPlatformGraphics::OpenTextEditor(ITextControl* control) {
    if (window && control) window->OpenTextEditor(control);
}

void IPlatformGraphics::AskParameterValue(IControl* control, IParameter* param) {
    if (window && control && param) window->AskParameterValue(control, param);
}

void IPlatformGraphics::HostFolder(std::string& out) {
    out.clear();
    if (window) window->HostFolder(out);
}

void IPlatformGraphics::ModuleFolder(std::string& out) {
    out.clear();
    if (window) window->ModuleFolder(out);
}

void IPlatformGraphics::AskForFile(std::string& outFileName, int action, const char* folder,
                                   const char* extensions) {
    outFileName.clear();
    if (window && window->Handle()) window->AskForFile(outFileName, action, folder, extensions);
}

bool IPlatformGraphics::AskForColour(IColorARGB& colour, const char* prompt) {
    return window && window->Handle() && window->AskForColour(colour, prompt);
}

bool IPlatformGraphics::OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                                    const char* errorMessage) {
    return window && window->OpenWebPage(url, title, confirmMessage, errorMessage);
}

void IPlatformGraphics::ShowMessage(const char* text, const char* caption) {
    if (window) window->ShowMessage(text ? text : "", caption ? caption : "");
}

int IPlatformGraphics::CreateEditorWindow(void* parent) {
    if (!window) return 0;
    CreateDrawSurfaces();
    if (!window->Open(this, parent)) return 0;
    MarkAllDirty();
    return 1;
}

void IPlatformGraphics::DestroyEditorWindow() {
    if (window && window->Handle()) window->Close();
}

void* IPlatformGraphics::WindowHandle() {
    return window ? window->Handle() : nullptr;
}

void IPlatformGraphics::Idle() {
    if (window) window->Idle();
}

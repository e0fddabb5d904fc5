#pragma once

#include "ITextControls.h"

#include <functional>
#include <string>

// A one-line text field the editor draws itself, the same on every platform: opened over a
// place of the editor with a prompt and a first text, it takes the key focus, so the keys
// typed go to it (characters insert at the caret; Backspace, Delete, Left, Right, Home and End
// edit). Enter hands the text to `commit`, Escape or a click beside the field calls `cancel`;
// either closes it first, so a callback may open it again. It lives on the window thread.
class ITextFieldControl : public ITextControl {
public:
    using Commit = std::function<void(const std::string& text)>;
    using Cancel = std::function<void()>;

    ITextFieldControl(IPluginBase* plugin, const ITextStyle& style);

    // Opens the field in box (a prompt line above the text line) and asks the platform for
    // text entry (IEditorGraphics::OpenTextEditor), which on some platforms starts a fallback.
    void Open(const IRect& box, const std::string& prompt, const std::string& text, Commit commit,
              Cancel cancel = nullptr);
    bool IsOpen() const { return open; }
    const std::string& Prompt() const { return prompt; }
    // Whether a key reached the field since it opened (a platform falls back without one).
    bool KeySeen() const { return keySeen; }
    // What Enter and Escape do, for platforms that ask for the text another way.
    void CommitText(const std::string& text);
    void CancelEntry();

    bool OnTextKey(ITextKey key, uint32_t character) override;
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    void OnMouseDblClick(int, int, const IMouseKeys&) override {}
    void OnMouseWheel(int, int, const IMouseKeys&, int) override {}
    bool Draw(IEditorGraphics* graphics) override;
    void MarkClean() override;
    bool HitTest(int x, int y) override { return open && box.Contains(x, y); }
    int Caret() const { return caret; }

private:
    void Close();
    void Store(const std::string& text);

    IRect box; // where it draws; rect also covers where it was, until that is redrawn
    std::string prompt;
    std::string edited;
    int caret = 0; // byte offset into edited, on a character boundary
    bool open = false;
    bool keySeen = false;
    Commit onCommit;
    Cancel onCancel;
};

// Opens the editor's text field over control with the parameter's value as a host shows it
// (IPluginBase::FormatParameterText), as a value entry: Enter sets the parameter to what the typed
// text stands for (IPluginBase::ParameterFromText); a text that stands for nothing changes nothing. False
// when the editor has no text field.
bool AskValueInTextField(IEditorGraphics* graphics, IControl* control, IParameter* param);

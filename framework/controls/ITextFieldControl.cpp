#include "ITextFieldControl.h"

#include "IEditorGraphics.h"
#include "IParameter.h"
#include "IPluginBase.h"

#include <vector>

namespace {
constexpr int kPromptHeight = 14;
constexpr int kPad = 4;

bool Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int Width(IEditorGraphics* graphics, const ITextStyle& style, const std::string& text) {
    const int measured = graphics->MeasureText(style, text.c_str());
    return measured >= 0 ? measured : 7 * static_cast<int>(text.size());
}
} // namespace

ITextFieldControl::ITextFieldControl(IPluginBase* owner, const ITextStyle& s)
    : ITextControl(owner, IRect(), s) {
    hidden = true;
}

void ITextFieldControl::Open(const IRect& where, const std::string& question, const std::string& text,
                             Commit commit, Cancel cancel) {
    // The place it leaves is drawn again with the place it takes.
    rect = open ? box.Union(where) : where;
    box = where;
    targetRect = where;
    prompt = question;
    onCommit = std::move(commit);
    onCancel = std::move(cancel);
    open = true;
    keySeen = false;
    Store(text);
    caret = static_cast<int>(edited.size());
    Hide(false);
    if (IEditorGraphics* graphics = Graphics()) {
        graphics->SetKeyFocus(this);
        graphics->OpenTextEditor(this);
    }
}

void ITextFieldControl::Close() {
    open = false;
    if (IEditorGraphics* graphics = Graphics())
        if (graphics->KeyFocus() == this) graphics->SetKeyFocus(nullptr);
    Hide(true);
}

void ITextFieldControl::Store(const std::string& text) {
    edited = text.size() < static_cast<size_t>(kMaxText) ? text : text.substr(0, kMaxText - 1);
    while (!edited.empty() && edited.size() == static_cast<size_t>(kMaxText - 1) &&
           Continuation(edited.back()))
        edited.pop_back();
    StoreText(edited.c_str());
    MarkDirty(false);
}

void ITextFieldControl::CommitText(const std::string& text) {
    if (!open) return;
    Close();
    Commit commit = std::move(onCommit);
    if (commit) commit(text);
}

void ITextFieldControl::CancelEntry() {
    if (!open) return;
    Close();
    Cancel cancel = std::move(onCancel);
    if (cancel) cancel();
}

bool ITextFieldControl::OnTextKey(ITextKey key, uint32_t character) {
    if (!open) return false;
    keySeen = true;
    std::string text = edited;
    size_t at = static_cast<size_t>(caret);
    switch (key) {
    case ITextKey::kEnter:
        CommitText(edited);
        return true;
    case ITextKey::kEscape:
        CancelEntry();
        return true;
    case ITextKey::kCharacter: {
        if (character < 32 || character == 127 || character > 0x10FFFF) return true;
        std::string typed;
        AppendUtf8(typed, character);
        if (text.size() + typed.size() >= static_cast<size_t>(kMaxText)) return true;
        text.insert(at, typed);
        at += typed.size();
        break;
    }
    case ITextKey::kBackspace:
        if (at == 0) return true;
        {
            size_t from = at - 1;
            while (from > 0 && Continuation(text[from]))
                --from;
            text.erase(from, at - from);
            at = from;
        }
        break;
    case ITextKey::kDelete:
        if (at < text.size()) {
            size_t to = at + 1;
            while (to < text.size() && Continuation(text[to]))
                ++to;
            text.erase(at, to - at);
        }
        break;
    case ITextKey::kLeft:
        while (at > 0) {
            --at;
            if (!Continuation(text[at])) break;
        }
        break;
    case ITextKey::kRight:
        while (at < text.size()) {
            ++at;
            if (at == text.size() || !Continuation(text[at])) break;
        }
        break;
    case ITextKey::kHome:
        at = 0;
        break;
    case ITextKey::kEnd:
        at = text.size();
        break;
    }
    caret = static_cast<int>(at);
    Store(text);
    return true;
}

void ITextFieldControl::OnMouseDown(int, int, const IMouseKeys&) {
    // A click into the field keeps it open and takes the focus back.
    if (IEditorGraphics* graphics = Graphics()) graphics->SetKeyFocus(this);
}

void ITextFieldControl::MarkClean() {
    ITextControl::MarkClean();
    if (!IsDirty()) rect = box;
}

bool ITextFieldControl::Draw(IEditorGraphics* graphics) {
    if (!open) return true;
    const IColorARGB frame(255, 24, 24, 24), paper(255, 250, 240, 215), ink(255, 0, 0, 0),
        label(255, 220, 220, 220), edge(255, 235, 160, 60);
    graphics->FillRect(frame, box, nullptr);
    graphics->DrawHorizontalLine(edge, box.top, box.left, box.right - 1);
    graphics->DrawHorizontalLine(edge, box.bottom - 1, box.left, box.right - 1);
    graphics->DrawVerticalLine(edge, box.left, box.top, box.bottom - 1);
    graphics->DrawVerticalLine(edge, box.right - 1, box.top, box.bottom - 1);
    ITextStyle small = style;
    small.size = 11;
    small.colour = label;
    small.align = ITextStyle::kAlignLeft;
    const IRect promptRect(box.left + kPad, box.top + 2, box.right - kPad, box.top + 2 + kPromptHeight);
    graphics->DrawText(small, prompt.c_str(), promptRect);
    const IRect line(box.left + kPad, promptRect.bottom + 2, box.right - kPad, box.bottom - kPad);
    graphics->FillRect(paper, line, nullptr);
    ITextStyle typed = style;
    typed.colour = ink;
    typed.align = ITextStyle::kAlignLeft;
    // The caret stays in sight: characters before it scroll out to the left.
    const int room = line.W() - 2 * kPad;
    size_t first = 0;
    while (first < static_cast<size_t>(caret) &&
           Width(graphics, typed, edited.substr(first, static_cast<size_t>(caret) - first)) > room) {
        ++first;
        while (first < edited.size() && Continuation(edited[first]))
            ++first;
    }
    const std::string shown = edited.substr(first);
    const IRect textRect(line.left + kPad, line.top, line.right - kPad, line.bottom);
    graphics->DrawText(typed, shown.c_str(), textRect);
    const int caretX = textRect.left +
                       (caret > static_cast<int>(first)
                            ? Width(graphics, typed, edited.substr(first, static_cast<size_t>(caret) - first))
                            : 0);
    if (caretX < line.right - 1) graphics->DrawVerticalLine(ink, caretX, line.top + 2, line.bottom - 3);
    return true;
}

bool AskValueInTextField(IEditorGraphics* graphics, IControl* control, IParameter* param) {
    auto* field = graphics ? dynamic_cast<ITextFieldControl*>(graphics->TextField()) : nullptr;
    if (!field || !control || !param) return false;
    IPluginBase* owner = control->Plugin();
    const int index = control->ParamIdx();
    if (!owner || index < 0 || index >= owner->ParamCount()) return false;
    // The value as a host shows it, and read back as a host's typed text is.
    char current[64] = {};
    owner->FormatParameterText(index, param->Value(), current);
    // A box two lines high, centred under the control and kept inside the editor.
    const IRect& r = control->Rect();
    const int w = 150, h = 38;
    int left = (r.left + r.right) / 2 - w / 2, top = r.bottom + 2;
    left = left < 0 ? 0 : (left + w > graphics->Width() ? graphics->Width() - w : left);
    if (top + h > graphics->Height()) top = r.top - h - 2 < 0 ? 0 : r.top - h - 2;
    const std::string name = param->Name();
    field->Open(IRect(left, top, left + w, top + h), name + ":", current,
                [owner, index, control](const std::string& text) {
                    // A text that stands for no value changes nothing.
                    double normalized = 0.0;
                    if (!owner->ParameterFromText(index, text.c_str(), normalized)) return;
                    control->ApplyUserValue(normalized);
                });
    return true;
}

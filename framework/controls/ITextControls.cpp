#include "ITextControls.h"

#include "IEditorGraphics.h"
#include "IParameter.h"
#include "TextUtil.h"

#include <cstring>

namespace {
// A one-line text in its field: the style's size, or up to two sizes smaller, and at the
// smallest size the longest start of the text that fits, followed by "...". The field keeps a
// pixel each side for glyphs that reach past their advance. Without a text engine to measure
// (-1), the text is drawn as it is.
constexpr int kShrinkSteps = 2;
constexpr int kFieldMargin = 1;
const char kEllipsis[] = "...";

bool Fits(IEditorGraphics* graphics, const ITextStyle& style, const char* text, int width) {
    const int measured = graphics->MeasureText(style, text);
    return measured < 0 || measured <= width;
}

void DrawFitted(IEditorGraphics* graphics, ITextStyle style, char* text, const IRect& rect) {
    const int width = rect.W() - 2 * kFieldMargin;
    const int fullSize = style.size;
    for (int step = 0; step < kShrinkSteps && !Fits(graphics, style, text, width) && style.size > 1; ++step)
        --style.size;
    if (!Fits(graphics, style, text, width)) {
        const size_t room = ITextControl::kMaxText - sizeof(kEllipsis);
        size_t cut = std::strlen(text);
        if (cut > room) cut = room;
        char shown[ITextControl::kMaxText];
        do {
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut; // whole characters
            std::memcpy(shown, text, cut);
            std::memcpy(shown + cut, kEllipsis, sizeof(kEllipsis));
            if (cut == 0 || Fits(graphics, style, shown, width)) break;
            --cut;
        } while (true);
        std::memcpy(text, shown, std::strlen(shown) + 1);
    }
    // A smaller size stays centred on the field's line.
    IRect at = rect;
    at.top += (fullSize - style.size) / 2;
    graphics->DrawText(style, text, at);
}

class SpinGuard {
public:
    explicit SpinGuard(std::atomic_flag& f) : flag(f) {
        while (flag.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~SpinGuard() { flag.clear(std::memory_order_release); }

private:
    std::atomic_flag& flag;
};
} // namespace

ITextControl::ITextControl(IPluginBase* owner, const IRect& r, const ITextStyle& s, const char* initial)
    : IControl(owner, r, -1), style(s) {
    StoreText(initial);
}

bool ITextControl::StoreText(const char* newText) {
    if (!newText) newText = "";
    SpinGuard guard(writing);
    int n = 0;
    while (n < kMaxText - 1 && newText[n] && newText[n] == text[n].load(std::memory_order_relaxed)) ++n;
    if (n == kMaxText - 1 || (!newText[n] && !text[n].load(std::memory_order_relaxed))) return false;
    sequence.fetch_add(1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    bool ended = false;
    for (int i = 0; i < kMaxText - 1; ++i) {
        ended = ended || !newText[i];
        text[i].store(ended ? 0 : newText[i], std::memory_order_relaxed);
    }
    sequence.fetch_add(1, std::memory_order_release);
    return true;
}

void ITextControl::ApplyPluginText(const char* newText) {
    if (StoreText(newText)) MarkDirty(false);
}

void ITextControl::GetText(char* out, int size) const {
    if (!out || size <= 0) return;
    const int n = size < kMaxText ? size : kMaxText;
    for (;;) {
        const unsigned before = sequence.load(std::memory_order_acquire);
        if (before & 1u) continue;
        for (int i = 0; i < n - 1; ++i) out[i] = text[i].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence.load(std::memory_order_relaxed) == before) break;
    }
    out[n - 1] = 0;
}

std::string ITextControl::Text() const {
    char copy[kMaxText];
    GetText(copy, kMaxText);
    return copy;
}

bool ITextControl::Draw(IEditorGraphics* graphics) {
    char copy[kMaxText];
    GetText(copy, kMaxText);
    if (copy[0]) {
        DrawFitted(graphics, style, copy, rect);
    } else if (hint) {
        ITextStyle hinted = style;
        hinted.colour = hintColour;
        CopyText(copy, sizeof(copy), hint);
        DrawFitted(graphics, hinted, copy, rect);
    }
    return true;
}

IParamTextControl::IParamTextControl(IPluginBase* owner, const IRect& r, int param, const ITextStyle& s,
                                     IParameter* own, bool value, bool label, int dir, double gear)
    : ITextControl(owner, r, s), ownParam(own), showValue(value), showLabel(label), direction(dir),
      gearing(gear) {
    paramIdx = param;
}

IParameter* IParamTextControl::ShownParameter() const {
    return ownParam ? ownParam : BoundParameter();
}

// The text follows the control's own value, which the plug-in stores with every change: the
// drawing never reads the parameter, which other threads write under the plug-in lock.
bool IParamTextControl::Draw(IEditorGraphics* graphics) {
    const double normalized = value;
    if (ownParam) ownParam->SetFromNormalized(normalized);
    IParameter* param = ShownParameter();
    if (showValue && param) {
        char shown[kMaxText];
        param->FormatForHost(param->ValueOfNormalized(normalized), false, shown);
        if (showLabel) {
            std::strncat(shown, " ", kMaxText - std::strlen(shown) - 1);
            std::strncat(shown, param->Label(), kMaxText - std::strlen(shown) - 1);
        }
        StoreText(shown);
    }
    return ITextControl::Draw(graphics);
}

void IParamTextControl::OnMouseDrag(int, int, int dX, int dY, const IMouseKeys&) {
    if (gearing == 0.0) return;
    if (direction == 0) {
        if (rect.top == rect.bottom) return;
        value += static_cast<double>(dY) / (rect.top - rect.bottom) / gearing;
    } else {
        if (rect.right == rect.left) return;
        value += static_cast<double>(dX) / (rect.right - rect.left) / gearing;
    }
    MarkDirty(true);
}

void IParamTextControl::OnMouseWheel(int, int, const IMouseKeys& mods, int notches) {
    IParameter* param = ShownParameter();
    if (!param) return;
    const double range = param->Maximum() - param->Minimum();
    const double stepShare = range != 0.0 ? param->Step() / range : 0.0;
    if (param->GetType() != IParameter::kTypeDouble && stepShare != 0.0) {
        value += notches * stepShare;
    } else {
        value += notches * (mods.shift || mods.control ? 0.001 : 0.01);
    }
    if (value < 0.0) value = 0.0;
    if (value > 1.0) value = 1.0;
    MarkDirty(true);
}

void IParamTextControl::AskParameterValue() {
    if (PromptDisabled()) return;
    IParameter* param = ShownParameter();
    IEditorGraphics* graphics = Graphics();
    if (!param || !graphics) return;
    graphics->AskParameterValue(this, param);
    redrawAgain = true;
}

// The drawn editor reads right: every name sits whole inside its field, and no control draws
// over another on any model panel.
#include "EditorFixture.h"
#include "EditorLayout.h"
#include "ITextControls.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {
// Controls this large are backdrops that others sit on: the background, the model panels, the
// response frame and the cabinet picture.
constexpr int kBackdropArea = 30000;

// A visible change of a pixel; the faint edge of a soft shadow is none.
constexpr int kVisibleChange = 32;

bool Differs(uint32_t p, uint32_t q) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((p >> shift) & 255) - static_cast<int>((q >> shift) & 255)) > kVisibleChange)
            return true;
    return false;
}

class EditorDrawing : public EditorFixture {
protected:
    // The editor's pixels inside rect after drawing only what is shown now.
    std::vector<uint32_t> Pixels(const IRect& rect) {
        graphics->MarkAllDirty();
        graphics->Draw(rect);
        std::vector<uint32_t> out;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) out.push_back(graphics->ReadPixel(x, y).Packed());
        return out;
    }
    static IRect Whole() { return IRect(0, 0, kEditorWidth, kEditorHeight); }

    // The pixels that the shown control changes in area, each packed as y * width + x.
    std::set<int> Footprint(int index, const IRect& area) {
        IControl* control = At(index);
        const std::vector<uint32_t> with = Pixels(area);
        control->Hide(true);
        const std::vector<uint32_t> without = Pixels(area);
        control->Hide(false);
        std::set<int> changed;
        size_t k = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x, ++k)
                if (Differs(with[k], without[k])) changed.insert(y * kEditorWidth + x);
        return changed;
    }

    // A text control's drawing lies inside its rectangle and it is not cut short.
    void ExpectWholeInField(int index, const std::string& what) {
        auto* text = dynamic_cast<ITextControl*>(At(index));
        ASSERT_NE(text, nullptr);
        const IRect& r = text->Rect();
        const std::set<int> drawn = Footprint(index, Whole());
        EXPECT_FALSE(drawn.empty()) << what << ": nothing drawn";
        int outside = 0;
        for (int p : drawn) {
            const int x = p % kEditorWidth, y = p / kEditorWidth;
            if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) {
                if (outside < 3) ADD_FAILURE() << what << " at " << x << ", " << y;
                ++outside;
            }
        }
        EXPECT_EQ(outside, 0) << what << ": pixels outside the field";
        // Whole: at the smallest size the fitting may take, the text still fits the field.
        ITextStyle smallest = text->Style();
        smallest.size -= 2;
        const int width = graphics->MeasureText(smallest, text->Text().c_str());
        EXPECT_GE(width, 0);
        EXPECT_LE(width, r.W() - 2) << what << " would be shortened";
    }
};

TEST_F(EditorDrawing, EveryModelAndCabinetNameIsShownWholeInItsField) {
    for (int m = 0; m < kNumModels; ++m) {
        SelectModel(m);
        ExpectWholeInField(132, kModelNames[m]);
    }
    for (int c = 0; c < kNumCabinets; ++c) {
        host->SetParameter(kCabPreset, static_cast<float>(c / static_cast<double>(kLastCabinet)));
        ExpectWholeInField(133, kCabinetNames[c]);
    }
    host->SetParameter(kIrDry, 0.0f);
    ExpectWholeInField(kControlValueText, "-inf dB");
    // The empty impulse field shows its hint, inside the field; a file's name replaces it.
    auto* field = static_cast<ITextControl*>(At(kControlFileName));
    ASSERT_EQ(field->Text(), "");
    ExpectWholeInField(kControlFileName, "the impulse hint");
    const size_t hint = Footprint(kControlFileName, Whole()).size();
    field->ApplyPluginText("room");
    EXPECT_LT(Footprint(kControlFileName, Whole()).size(), hint);
}

TEST_F(EditorDrawing, NoControlDrawsOverAnotherOnAnyPanel) {
    for (int m = 0; m < kNumModels; ++m) {
        SelectModel(m);
        host->SetParameter(kModelSwitch + m, 1.0f);
        std::vector<int> shown;
        for (int i = 1; i < graphics->ControlCount(); ++i) {
            const IControl* c = At(i);
            if (!c->IsHidden() && c->Rect().W() * c->Rect().H() < kBackdropArea) shown.push_back(i);
        }
        // Each control's own drawing, with the other small controls hidden.
        for (int i : shown) At(i)->Hide(true);
        std::vector<std::set<int>> footprints;
        for (int i : shown) {
            At(i)->Hide(false);
            footprints.push_back(Footprint(i, At(i)->Rect()));
            At(i)->Hide(true);
        }
        for (int i : shown) At(i)->Hide(false);
        for (size_t a = 0; a < shown.size(); ++a)
            for (size_t b = a + 1; b < shown.size(); ++b) {
                if (!At(shown[a])->Rect().Intersects(At(shown[b])->Rect())) continue;
                int common = 0;
                for (int p : footprints[a]) common += static_cast<int>(footprints[b].count(p));
                EXPECT_EQ(common, 0) << kModelNames[m] << ": controls " << shown[a] << " and " << shown[b];
            }
    }
}
} // namespace

namespace {
// The cabinet picture comes after the about box and the response display in the control list;
// it must not draw over them.
TEST_F(EditorDrawing, CabinetPictureStaysUnderTheAboutBoxAndTheResponseDisplay) {
    host->SetParameter(kCabPreset, 23.0f / kLastCabinet);
    auto expectClearOf = [this](std::initializer_list<int> above, const char* view) {
        const std::set<int> picture = Footprint(kControlCabinetPicture, Whole());
        EXPECT_FALSE(picture.empty()) << view;
        for (int index : above) {
            const IRect& r = At(index)->Rect();
            int under = 0;
            for (int p : picture) {
                const int x = p % kEditorWidth, y = p / kEditorWidth;
                under += x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            }
            EXPECT_EQ(under, 0) << view << ": picture over control " << index;
        }
    };
    Click(kIrPanel);
    expectClearOf({kControlResponseFrame, kControlResponse}, "impulse panel");
    Click(kIrPanel);
    Click(kPresetBrowse);
    expectClearOf({178}, "preset browser");
    Click(kPresetBrowse);
    At(kControlAbout)->SetValue(1.0);
    expectClearOf({kControlAbout}, "about box");
}
} // namespace

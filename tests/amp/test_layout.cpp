// The editor's attach order, classes, positions and bindings, and the editor opcodes.
#include "EditorFixture.h"
#include "IBitmapControls.h"
#include "IFileSelectorControl.h"
#include "IFreqResponseControl.h"
#include "IKnobControls.h"
#include "IMiscControls.h"
#include "ITextButtonControl.h"
#include "ITextControls.h"
#include "ITextFieldControl.h"
#include "ImpulseBrowser.h"
#include "OversamplingControl.h"

#include <typeinfo>

namespace {
using Layout = EditorFixture;

struct Row {
    int index;
    const std::type_info& type;
    IRect rect;
    int param;
};

// One row per group of the layout, with rectangles worked out from the image sizes
// (frame height = image height / frames).
const Row kRows[] = {
    {0, typeid(IBitmapControl), {0, 0, 630, 440}, -1},
    {1, typeid(INeedleKnobControl), {40, 40, 44, 44}, kAmpOn},
    {6, typeid(INeedleKnobControl), {40, 40, 44, 44}, kAmpTreble},
    {7, typeid(IBitmapControl), {175, 1, 623, 425}, kModelLed + 0},
    {8, typeid(IKnobMultiControl), {217, 223, 267, 273}, kModelVolume + 0},
    {13, typeid(IButtonSwitchControl), {292, 305, 332, 345}, kModelSwitch + 0},
    {14, typeid(IBitmapControl), {305, 277, 319, 291}, kModelLed + 0},
    {40, typeid(IKnobMultiControl), {261, 242, 281, 282}, kModelVolume + 4},
    {41, typeid(IKnobMultiControl), {288, 242, 308, 282}, kModelBass + 4},
    {62, typeid(IBitmapControl), {175, 1, 623, 425}, kModelLed + 7},
    {63, typeid(IKnobMultiControl), {333, 182, 363, 212}, kModelVolume + 7},
    {68, typeid(IButtonSwitchControl), {284, 279, 374, 388}, kModelSwitch + 7},
    {113, typeid(IKnobMultiControl), {290, 228, 340, 278}, kModelMiddle + 13},
    {120, typeid(ISwitchControl), {271, 264, 301, 294}, kModelBass + 14},
    {121, typeid(ISwitchControl), {331, 264, 361, 294}, kModelTreble + 14},
    {122, typeid(IButtonSwitchControl), {294, 312, 334, 352}, kModelSwitch + 14},
    {131, typeid(IBitmapControl), {304, 277, 318, 291}, kModelLed + 15},
    {132, typeid(IParamTextControl), {35, 194, 116, 210}, kAmpModel},
    {133, typeid(IParamTextControl), {35, 250, 116, 266}, kCabPreset},
    {134, typeid(IKnobMultiControl), {523, 52, 562, 92}, kGateThreshold},
    {141, typeid(IKnobMultiControl), {419, 103, 449, 133}, kLoudness},
    {142, typeid(IButtonSwitchControl), {488, 56, 519, 90}, kGate},
    {145, typeid(IContactControl), {450, 56, 481, 90}, kTunerToggle},
    {149, typeid(IContactControl), {161, 240, 192, 274}, kCabNext},
    {153, typeid(IContactControl), {68, 354, 99, 388}, kIrPanel},
    {156, typeid(IBitmapControl), {75, 343, 89, 357}, kIrPanelLed},
    {158, typeid(ITextControl), {130, 115, 180, 131}, -1},
    {159, typeid(IBitmapControl), {35, 95, 176, 115}, -1},
    {160, typeid(IBitmapControl), {37, 111, 137, 131}, -1},
    {162, typeid(IBitmapControl), {47, 94, 114, 132}, -1},
    {163, typeid(IBitmapControl), {120, 75, 180, 135}, -1},
    {166, typeid(IContactControl), {42, 60, 54, 72}, kTuningNext},
    {167, typeid(IBitmapControl), {236, 169, 582, 389}, -1},
    {169, typeid(IKnobMultiControl), {405, 340, 444, 380}, kIrWet},
    {170, typeid(IFreqResponseControl), {250, 182, 550, 322}, -1},
    {171, typeid(ITextControl), {35, 322, 182, 338}, -1},
    {172, typeid(IFileSelectorControl), {35, 322, 182, 338}, kIrFile},
    {173, typeid(ITextControl), {60, 63, 177, 79}, -1},
    {174, typeid(INeedleKnobControl), {40, 40, 44, 44}, kBankPosition},
    {176, typeid(INeedleKnobControl), {40, 40, 44, 44}, kPresetPosition},
    {177, typeid(IHotspotToggleControl), {60, 63, 177, 93}, kPresetBrowse},
    {178, typeid(IBitmapControl), {110, 70, 540, 397}, -1},
    {198, typeid(ITextControl), {350, 356, 492, 370}, -1},
    {199, typeid(ITextControl), {140, 90, 322, 104}, -1},
    {219, typeid(IVerticalPickControl), {350, 90, 492, 370}, kBankListClick},
    {220, typeid(ISliderControl), {505, 91, 515, 368}, kBankScroll},
    {221, typeid(IVerticalPickControl), {140, 90, 322, 370}, kPresetListClick},
    {222, typeid(ISliderControl), {330, 91, 340, 368}, kPresetScroll},
    {223, typeid(IBitmapOverlayControl), {157, 101, 476, 326}, -1},
    {230, typeid(IOversamplingControl), {98, 170, 124, 184}, -1},
    {231, typeid(ITextButtonControl), {386, 10, 446, 26}, -1},
    {232, typeid(ITextFieldControl), {0, 0, 0, 0}, -1},
    {233, typeid(ImpulseBrowser), {236, 169, 582, 389}, -1},
};

// First and last attach index of each model panel, and its knob count.
struct PanelSpan {
    int first, last, knobs;
};
const PanelSpan kPanelSpans[kNumModels] = {{7, 14, 5},    {15, 22, 5},   {23, 30, 5},   {31, 38, 5},
                                           {39, 45, 4},   {46, 53, 5},   {54, 61, 5},   {62, 69, 5},
                                           {70, 77, 5},   {78, 85, 5},   {86, 93, 5},   {94, 101, 5},
                                           {102, 109, 5}, {110, 115, 3}, {116, 123, 3}, {124, 131, 5}};

TEST_F(Layout, AttachesTheBackgroundAndEveryControlInOrder) {
    ASSERT_EQ(graphics->ControlCount(), kControlCount);
    for (const Row& row : kRows) {
        IControl* control = At(row.index);
        ASSERT_NE(control, nullptr) << row.index;
        EXPECT_EQ(typeid(*control), row.type) << "control " << row.index;
        EXPECT_EQ(control->Rect(), row.rect) << "control " << row.index;
        EXPECT_EQ(control->ParamIdx(), row.param) << "control " << row.index;
    }
    EXPECT_EQ(At(kControlBackground)->Blend().method, IBlendSpec::kClobber);
    EXPECT_EQ(static_cast<IBitmapOverlayControl*>(At(kControlAbout))->OffTarget(), IRect(0, 0, 200, 30));
}

// The handles the builder hands the plug-in are the positions the layout describes.
TEST_F(Layout, HandsThePluginTheIndicesOfTheControlsItAddresses) {
    const EditorControls& c = plugin->Controls();
    const struct {
        int handle, position;
    } handles[] = {
        {c.valueText, kControlValueText},
        {c.nameStrip, kControlNameStrip},
        {c.valueBar, kControlValueBar},
        {c.bankName, kControlBankName},
        {c.presetName, kControlPresetName},
        {c.tunerBackground, kControlTunerBackground},
        {c.tunerMeter, kControlTunerMeter},
        {c.tunerNote, kControlTunerNote},
        {c.tunerText, kControlTunerText},
        {c.tunerTuning, kControlTunerTuning},
        {c.tunerButton, kControlTunerButton},
        {c.responseFrame, kControlResponseFrame},
        {c.response, kControlResponse},
        {c.fileName, kControlFileName},
        {c.fileSelector, kControlFileSelector},
        {c.browser, kControlBrowser},
        {c.BankRow(0), kControlBankRows},
        {c.BankRow(19), kControlBankRows + 19},
        {c.PresetRow(0), kControlPresetRows},
        {c.PresetRow(19), kControlPresetRows + 19},
        {c.bankPick, kControlBankPick},
        {c.presetPick, kControlPresetPick},
        {c.about, kControlAbout},
        {c.lampGate, kControlLampGate},
        {c.lampAmp, kControlLampAmp},
        {c.lampCabinet, kControlLampCabinet},
        {c.lampEq, kControlLampEq},
        {c.lampImpulse, kControlLampImpulse},
        {c.cabinetPicture, kControlCabinetPicture},
        {c.oversampling, kControlOversampling},
        {c.textField, kControlTextField},
        {c.impulseBrowser, kControlImpulseBrowser},
    };
    for (const auto& h : handles)
        EXPECT_EQ(h.handle, h.position);
}

TEST_F(Layout, EachModelPanelIsOneGroupBoundToItsModel) {
    for (int m = 0; m < kNumModels; ++m) {
        const PanelSpan& span = kPanelSpans[m];
        SCOPED_TRACE("model " + std::to_string(m));
        EXPECT_EQ(At(span.first)->ParamIdx(), kModelLed + m);
        EXPECT_EQ(At(span.first)->Rect(), IRect(175, 1, 623, 425));
        int knobs = 0;
        for (int i = span.first + 1; i < span.last - 1; ++i) {
            const int param = At(i)->ParamIdx();
            EXPECT_EQ((param - kModelSwitch) % kNumModels, m) << "control " << i;
            if (dynamic_cast<IKnobMultiControl*>(At(i))) ++knobs;
        }
        EXPECT_EQ(knobs, span.knobs);
        EXPECT_EQ(typeid(*At(span.last - 1)), typeid(IButtonSwitchControl));
        EXPECT_EQ(At(span.last - 1)->ParamIdx(), kModelSwitch + m);
        EXPECT_TRUE(At(span.last - 1)->DblClickAsSingle());
        EXPECT_EQ(At(span.last)->ParamIdx(), kModelLed + m);
        EXPECT_EQ(At(span.last)->Rect().W(), 14);
    }
    // Models without a knob in a block leave that parameter without a control.
    for (int param : {kModelGain + 4, kModelBass + 13, kModelTreble + 13})
        for (int i = 0; i < graphics->ControlCount(); ++i)
            EXPECT_NE(At(i)->ParamIdx(), param) << i;
}

TEST_F(Layout, HidesThePlaceholdersTunerBrowserAndResponseAtStart) {
    for (int i : {1, 2, 3, 4, 5, 6, 161, 162, 163, 164, 165, 166, 170, 174, 176, 178, 219, 220, 221, 222})
        EXPECT_TRUE(At(i)->IsHidden()) << "control " << i;
    for (int i = 179; i <= 218; ++i)
        EXPECT_TRUE(At(i)->IsHidden()) << "list text " << i;
    for (int i : {0, 132, 133, 134, 142, 153, 157, 158, 159, 160, 171, 172, 173, 175, 177, 223})
        EXPECT_FALSE(At(i)->IsHidden()) << "control " << i;
    // The about box starts off: only its off rectangle is hit.
    EXPECT_EQ(At(kControlAbout)->Value(), 0.0);
    EXPECT_EQ(graphics->FindControlAt(10, 10), kControlAbout);
}

TEST_F(Layout, ListTextsAndStylesFollowTheirFormats) {
    auto text = [&](int i) { return static_cast<ITextControl*>(At(i))->Text(); };
    EXPECT_EQ(text(179), "Bank - 0");
    EXPECT_EQ(text(198), "Bank - 19");
    EXPECT_EQ(text(199), "  1 - Default preset");
    EXPECT_EQ(text(218), " 20 - Default preset");
    EXPECT_EQ(text(164), " ");
    EXPECT_EQ(static_cast<ITextControl*>(At(179))->Style().align, ITextStyle::kAlignLeft);
    EXPECT_EQ(static_cast<ITextControl*>(At(165))->Style().align, ITextStyle::kAlignLeft);
    EXPECT_EQ(static_cast<ITextControl*>(At(158))->Style().align, ITextStyle::kAlignCentre);
    EXPECT_EQ(static_cast<ITextControl*>(At(158))->Style().size, 14);
}

TEST_F(Layout, BrowserControlsMissTheAttachPush) {
    // Attached after the editor, they keep value 0 although both scroll positions default to 0.5.
    EXPECT_EQ(plugin->ParamAt(kPresetScroll)->Value(), 0.5);
    EXPECT_EQ(At(222)->Value(), 0.0);
    EXPECT_EQ(At(220)->Value(), 0.0);
    // Controls attached before it took the pushed value (threshold default 0.5).
    EXPECT_DOUBLE_EQ(At(134)->Value(), 0.5);
}

TEST_F(Layout, AboutBoxCatchesEveryClickOverItWhileOn) {
    const IMouseKeys left{true, false, false, false, false};
    graphics->OnMouseDown(10, 10, left);
    graphics->OnMouseUp(10, 10, left);
    EXPECT_EQ(At(kControlAbout)->Value(), 1.0);
    EXPECT_EQ(graphics->FindControlAt(300, 200), kControlAbout); // over the model panel
    graphics->OnMouseDown(300, 200, left);
    graphics->OnMouseUp(300, 200, left);
    EXPECT_EQ(At(kControlAbout)->Value(), 0.0);
    EXPECT_NE(graphics->FindControlAt(300, 200), kControlAbout);
}

TEST_F(Layout, EffectAnnouncesTheEditorAndSurvivesEditorCallsInAnyOrder) {
    EXPECT_EQ(host->Effect()->flags, 0x1039);
    ERect* rect = nullptr;
    ASSERT_EQ(host->Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 630);
    EXPECT_EQ(rect->bottom - rect->top, 440);
    // No window service yet: opening answers 0, nothing else fails.
    host->Dispatch(effEditClose);
    host->Dispatch(effEditIdle);
    EXPECT_EQ(host->Dispatch(effEditOpen, 0, 0, nullptr), 0);
    host->Dispatch(effEditIdle);
    EXPECT_EQ(host->Dispatch(effEditOpen, 0, 0, nullptr), 0);
    host->Dispatch(effEditClose);
    host->Dispatch(effEditClose);
    host->Dispatch(effEditGetRect, 0, 0, &rect);
    host->Dispatch(effEditIdle);
    EXPECT_EQ(graphics->ControlCount(), kControlCount);
}
} // namespace

// The editor: the graphics object and its 230 controls; the indices the change handler
// addresses are kept in `controls` as the controls are added.
#include "EditorLayout.h"

#include "EditorIndices.h"
#include "EditorWindow.h"
#include "IBitmapControls.h"
#include "IFileSelectorControl.h"
#include "IFreqResponseControl.h"
#include "IKnobControls.h"
#include "IMiscControls.h"
#include "IPlatformGraphics.h"
#include "ITextButtonControl.h"
#include "ITextControls.h"
#include "ITextFieldControl.h"
#include "ImageResourceTable.h"
#include "ImpulseBrowser.h"
#include "OversamplingControl.h"
#include "VulpanePlugin.h"
#include "models/ModelPanel.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

std::unique_ptr<IEditorWindow> NewEditorWindow() {
    return NewSystemEditorWindow();
}

namespace {
// Image resource ids.
enum ImageId : int {
    kImgBackground = 100,
    kImgFirstPanel = 101,
    kImgKnob01 = 117,
    kImgKnob02 = 118,
    kImgKnob05 = 119,
    kImgKnob08 = 120,
    kImgKnob10 = 121,
    kImgKnob11 = 122,
    kImgKnob12 = 123,
    kImgKnob13 = 124,
    kImgKnob15 = 125,
    kImgKnob16 = 126,
    kImgKnob = 127,
    kImgLoudnessKnob = 128,
    kImgButton = 129,
    kImgSwitch00 = 130,
    kImgSwitch05 = 131,
    kImgSwitch07 = 132,
    kImgSwitch09 = 133,
    kImgSwitch11 = 134,
    kImgSwitch12 = 135,
    kImgPgSwitch1 = 136,
    kImgPgSwitch2 = 137,
    kImgLed = 138,
    kImgNameStrip = 139,
    kImgValueBar = 140,
    kImgAbout = 141,
    kImgBrowser = 142,
    kImgFader = 143,
    kImgTunerBackground = 144,
    kImgTunerMeter = 145,
    kImgTunerButton = 146,
    kImgTunerNotes = 147,
    kImgFileOpen = 148,
    kImgResponseFrame = 149,
    kImgLampGate = 150,
    kImgLampAmp = 151,
    kImgLampCabinet = 152,
    kImgLampEq = 153,
    kImgLampImpulse = 154,
    kImgCabinetPicture = 155,
};

// The stages of the signal-chain plate that light up, in control order: image, top-left corner
// and the handle the change handler lights it by.
struct LampPlace {
    int image, x, y;
    int EditorControls::*handle;
};
const LampPlace kLamps[] = {
    {kImgLampGate, 210, 51, &EditorControls::lampGate},
    {kImgLampAmp, 252, 51, &EditorControls::lampAmp},
    {kImgLampCabinet, 336, 51, &EditorControls::lampCabinet},
    {kImgLampEq, 210, 71, &EditorControls::lampEq},
    {kImgLampImpulse, 294, 71, &EditorControls::lampImpulse},
};
constexpr int kCabinetPictureX = 446, kCabinetPictureY = 176;

// An image attached after controls that must stay on top of it (the about box, the preset
// browser, the response display and its frame, all reaching into it from the left): while one of them is
// shown, only the part of the image right of it is drawn.
class IUnderlayBitmapControl : public IBitmapControl {
public:
    IUnderlayBitmapControl(IPluginBase* plugin, int x, int y, const IBitmapStrip& strip,
                           std::vector<const IControl*> over)
        : IBitmapControl(plugin, x, y, strip), overlays(std::move(over)) {}
    bool Draw(IEditorGraphics* graphics) override {
        int left = rect.left;
        for (const IControl* overlay : overlays)
            if (Covers(overlay)) left = std::max(left, overlay->Rect().right);
        if (left == rect.left) return IBitmapControl::Draw(graphics);
        if (left >= rect.right) return true;
        const IRect beside(left, rect.top, rect.right, rect.bottom);
        return graphics->DrawBitmap(strip, beside, left - rect.left,
                                    strip.FrameTop(FrameForValue(strip.frames, value)), &blend);
    }

private:
    bool Covers(const IControl* overlay) const {
        if (!overlay || overlay->IsHidden() || !overlay->Rect().Intersects(rect)) return false;
        // An overlay box draws nothing while it is off.
        return !dynamic_cast<const IBitmapOverlayControl*>(overlay) || overlay->Value() >= 0.5;
    }

    std::vector<const IControl*> overlays;
};

constexpr float kNeedleAngle = 2.356194490192345f; // 135 degrees
constexpr int kKnobFrames = 63;

struct KnobPlace {
    int block; // first index of the per-model block the knob belongs to
    int x, y;
};

struct PanelLayout {
    int knobImage;
    int knobCount;
    KnobPlace knobs[5];
    int switchX, switchY, switchImage;
    int ledX, ledY;
};

constexpr int V = kModelVolume, G = kModelGain, B = kModelBass, M = kModelMiddle, T = kModelTreble;

// Per model: knob image and count, knobs (block, x, y), button switch (x, y, image), LED (x, y).
// Which knobs a panel has is the model's (PanelOf); these are only their places.
// clang-format off
const PanelLayout kPanels[kNumModels] = {
    {kImgKnob01, 5, {{V, 217, 223}, {G, 355, 223}, {B, 252, 223}, {M, 286, 223}, {T, 320, 223}}, 292, 305, kImgSwitch00, 305, 277}, // Clean 1
    {kImgKnob02, 5, {{V, 213, 265}, {G, 359, 265}, {B, 248, 248}, {M, 286, 242}, {T, 325, 248}}, 291, 324, kImgSwitch00, 305, 298}, // Clean 2
    {kImgKnob02, 5, {{V, 213, 265}, {G, 359, 265}, {B, 248, 248}, {M, 286, 242}, {T, 325, 248}}, 291, 324, kImgSwitch00, 305, 298}, // Clean 3
    {kImgKnob01, 5, {{V, 217, 233}, {G, 355, 233}, {B, 252, 233}, {M, 286, 233}, {T, 320, 233}}, 292, 311, kImgSwitch00, 305, 292}, // Clean 4
    {kImgKnob05, 4, {{V, 261, 242}, {B, 288, 242}, {M, 312, 242}, {T, 337, 242}}, 290, 330, kImgSwitch00, 303, 318}, // Piezo Acoustic
    {kImgKnob01, 5, {{V, 247, 173}, {G, 324, 173}, {B, 247, 215}, {M, 285, 215}, {T, 324, 215}}, 262, 305, kImgSwitch05, 304, 176}, // Tube Creamer
    {kImgKnob01, 5, {{V, 247, 173}, {G, 324, 173}, {B, 247, 215}, {M, 285, 215}, {T, 324, 215}}, 262, 305, kImgSwitch05, 304, 176}, // Fuzzz
    {kImgKnob08, 5, {{V, 333, 182}, {G, 259, 182}, {B, 259, 218}, {M, 296, 218}, {T, 333, 218}}, 284, 279, kImgSwitch07, 305, 172}, // Metal Charter
    {kImgKnob01, 5, {{V, 247, 173}, {G, 324, 173}, {B, 247, 215}, {M, 285, 215}, {T, 324, 215}}, 262, 305, kImgSwitch05, 304, 176}, // Metal Machine
    {kImgKnob10, 5, {{V, 258, 173}, {G, 329, 173}, {B, 258, 209}, {M, 293, 209}, {T, 329, 209}}, 237, 252, kImgSwitch09, 304, 176}, // Metal Style
    {kImgKnob11, 5, {{V, 214, 216}, {G, 355, 216}, {B, 249, 216}, {M, 284, 216}, {T, 320, 216}}, 293, 327, kImgSwitch00, 303, 215}, // JGM900
    {kImgKnob12, 5, {{V, 244, 175}, {G, 326, 175}, {B, 244, 220}, {M, 285, 220}, {T, 326, 220}}, 241, 319, kImgSwitch11, 304, 277}, // Dirty Box
    {kImgKnob13, 5, {{V, 245, 169}, {G, 327, 169}, {B, 245, 210}, {M, 286, 210}, {T, 327, 210}}, 240, 306, kImgSwitch12, 304, 179}, // Darktorsion
    {kImgKnob01, 3, {{V, 247, 228}, {G, 333, 228}, {M, 290, 228}}, 294, 312, kImgSwitch00, 308, 279}, // Bat
    {kImgKnob15, 3, {{V, 249, 214}, {G, 335, 214}, {M, 292, 214}}, 294, 312, kImgSwitch00, 309, 287}, // Poltergeist
    {kImgKnob16, 5, {{V, 244, 175}, {G, 326, 175}, {B, 244, 220}, {M, 285, 220}, {T, 326, 220}}, 241, 319, kImgSwitch11, 304, 277}, // Noise Soldier
};
// clang-format on

// How a model's panel shows the knob of a per-model block (models/ModelPanel.h).
PanelControl ControlOf(const ModelPanel& roles, int block) {
    switch (block) {
    case kModelGain:
        return roles.gain.control;
    case kModelBass:
        return roles.bass.control;
    case kModelMiddle:
        return roles.middle.control;
    case kModelTreble:
        return roles.treble.control;
    default:
        return PanelControl::kKnob;
    }
}

// The name an image is known by ("img/background.png"), from the embedded image table.
const char* ImageName(int id) {
    for (int i = 0; i < kEmbeddedImageCount; ++i)
        if (kEmbeddedImages[i].id == id) return kEmbeddedImages[i].name;
    return "";
}

ITextStyle LeftAligned() {
    const IColorARGB black(255, 0, 0, 0);
    return ITextStyle(14, &black, "Arial", ITextStyle::kNormal, ITextStyle::kAlignLeft);
}

// Builds and attaches controls of one plug-in's editor.
class LayoutBuilder {
public:
    LayoutBuilder(IPluginBase* plugin, IEditorGraphics* graphics) : plugin(plugin), graphics(graphics) {}

    IBitmapStrip Image(int id, int frames) { return graphics->LoadImageResource(id, ImageName(id), frames); }
    int Add(IControl* control) { return graphics->AddControl(control); }

    void HiddenNeedle(int param) {
        Add(new INeedleKnobControl(plugin, IRect(40, 40, 44, 44), param, IColorARGB(0, 0, 0, 0), 0.0f, 0.0f,
                                   -kNeedleAngle, kNeedleAngle, 0, 4.0));
        graphics->HideParam(param, true);
    }
    int Knob(int x, int y, int param, int image, int frames) {
        return Add(new IKnobMultiControl(plugin, x, y, param, Image(image, frames), 0, 4.0));
    }
    int Contact(int x, int y, int param, int image = kImgButton, int frames = 2) {
        auto* contact = new IContactControl(plugin, x, y, param, Image(image, frames));
        contact->SetDblClickAsSingle(true);
        return Add(contact);
    }
    void ButtonSwitch(int x, int y, int param, int image, int frames) {
        auto* button = new IButtonSwitchControl(plugin, x, y, param, Image(image, frames));
        button->SetDblClickAsSingle(true);
        Add(button);
    }
    int Bitmap(int x, int y, int param, int image, int frames) {
        return Add(new IBitmapControl(plugin, x, y, param, Image(image, frames)));
    }
    int Text(const IRect& rect, const char* text, const ITextStyle& style = ITextStyle()) {
        return Add(new ITextControl(plugin, rect, style, text));
    }
    void HideControl(int index) {
        if (IControl* control = graphics->ControlAt(index)) control->Hide(true);
    }

    void Panel(int m) {
        const PanelLayout& panel = kPanels[m];
        Bitmap(175, 1, kModelLed + m, kImgFirstPanel + m, 1);
        const ModelPanel& roles = PanelOf(m);
        for (int k = 0; k < panel.knobCount; ++k)
            if (ControlOf(roles, panel.knobs[k].block) == PanelControl::kKnob)
                Knob(panel.knobs[k].x, panel.knobs[k].y, panel.knobs[k].block + m, panel.knobImage,
                     kKnobFrames);
        // The switches a panel has in place of a knob: a three-position bass, a two-position treble.
        if (roles.bass.control == PanelControl::kSwitch)
            Add(new ISwitchControl(plugin, 271, 264, kModelBass + m, Image(kImgPgSwitch2, 3)));
        if (roles.treble.control == PanelControl::kSwitch)
            Add(new ISwitchControl(plugin, 331, 264, kModelTreble + m, Image(kImgPgSwitch1, 2)));
        ButtonSwitch(panel.switchX, panel.switchY, kModelSwitch + m, panel.switchImage, 2);
        Bitmap(panel.ledX, panel.ledY, kModelLed + m, kImgLed, 2);
    }

private:
    IPluginBase* plugin;
    IEditorGraphics* graphics;
};
} // namespace

void VulpanePlugin::BuildEditor() {
    auto* editorGraphics = new IPlatformGraphics(this, kEditorWidth, kEditorHeight, 0, NewEditorWindow());
    LayoutBuilder build(this, editorGraphics);
    controls = EditorControls{};
    SetBackgroundImage(*editorGraphics, kImgBackground, ImageName(kImgBackground));

    for (int param : {kAmpOn, kAmpVolume, kAmpGain, kAmpBass, kAmpMiddle, kAmpTreble})
        build.HiddenNeedle(param);
    for (int m = 0; m < kNumModels; ++m)
        build.Panel(m);

    const ITextStyle style;
    build.Add(
        new IParamTextControl(this, IRect(35, 194, 116, 210), kAmpModel, style, nullptr, true, true, 0, 4.0));
    build.Add(new IParamTextControl(this, IRect(35, 250, 116, 266), kCabPreset, style, nullptr, true, true, 0,
                                    4.0));
    build.Knob(523, 52, kGateThreshold, kImgKnob, 53);
    build.Knob(564, 52, kGateRelease, kImgKnob, 53);
    build.Knob(325, 100, kToneFreq, kImgKnob, 53);
    build.Knob(373, 100, kToneResonance, kImgKnob, 53);
    build.Knob(459, 100, kEqLow, kImgKnob, 53);
    build.Knob(504, 100, kEqHigh, kImgKnob, 53);
    build.Knob(550, 100, kMasterVolume, kImgKnob, 53);
    build.Knob(419, 103, kLoudness, kImgLoudnessKnob, 65);
    build.ButtonSwitch(488, 56, kGate, kImgButton, 2);
    build.Contact(384, 56, kPresetPrev);
    build.Contact(417, 56, kPresetNext);
    build.Contact(450, 56, kTunerToggle);
    build.Contact(126, 184, kModelPrev);
    build.Contact(161, 184, kModelNext);
    build.Contact(126, 240, kCabPrev);
    build.Contact(161, 240, kCabNext);
    build.Contact(126, 354, kIrPrev);
    build.Contact(161, 354, kIrNext);
    build.Contact(33, 354, kIrToggle);
    build.Contact(68, 354, kIrPanel);
    build.Bitmap(495, 47, kGateLed, kImgLed, 2);
    build.Bitmap(40, 343, kIrOn, kImgLed, 2);
    build.Bitmap(75, 343, kIrPanelLed, kImgLed, 2);
    build.Text(IRect(214, 60, 342, 76), "");
    controls.valueText = build.Text(IRect(130, 115, 180, 131), "");
    controls.nameStrip = build.Bitmap(35, 95, -1, kImgNameStrip, 31);
    controls.valueBar = build.Bitmap(37, 111, -1, kImgValueBar, 31);
    controls.tunerBackground = build.Bitmap(39, 60, -1, kImgTunerBackground, 1);
    controls.tunerMeter = build.Bitmap(47, 94, -1, kImgTunerMeter, 40);
    controls.tunerNote = build.Bitmap(120, 75, -1, kImgTunerNotes, 72);
    controls.tunerText = build.Text(IRect(42, 77, 122, 97), " ");
    controls.tunerTuning = build.Text(IRect(56, 59, 178, 79), " ", LeftAligned());
    controls.tunerButton = build.Contact(42, 60, kTuningNext, kImgTunerButton, 2);
    for (int index : controls.TunerView())
        build.HideControl(index);
    editorGraphics->HideParam(kTuningNext, true);
    controls.responseFrame = build.Bitmap(236, 169, -1, kImgResponseFrame, 1);
    build.Knob(356, 340, kIrDry, kImgKnob, 53);
    build.Knob(405, 340, kIrWet, kImgKnob, 53);

    auto* response =
        new IFreqResponseControl(this, IColorARGB(255, 255, 0, 0), IRect(250, 182, 550, 322), 4096, 0);
    response->SetRange(20.0, 20480.0, 120.0, 40.0);
    response->SetHold(1);
    controls.response = build.Add(response);
    response->Hide(true);

    controls.fileName = build.Text(IRect(35, 322, 182, 338), "");
    if (auto* field = dynamic_cast<ITextControl*>(editorGraphics->ControlAt(controls.fileName)))
        field->SetHint("click to load a WAV impulse", IColorARGB(255, 112, 84, 44)); // dim ink on the display
    controls.fileSelector = build.Add(new IFileSelectorControl(this, IRect(35, 322, 182, 338), kIrFile,
                                                               build.Image(kImgFileOpen, 1),
                                                               IFileSelectorControl::kOpen, "", "wav"));

    // The plug-in addresses its controls through this pointer; AttachEditor pushes every
    // parameter to the controls attached so far.
    graphics = editorGraphics;
    AttachEditor(editorGraphics);

    controls.bankName = build.Text(IRect(60, 63, 177, 79), "");
    build.HiddenNeedle(kBankPosition);
    controls.presetName = build.Text(IRect(60, 77, 177, 93), "");
    build.HiddenNeedle(kPresetPosition);
    build.Add(new IHotspotToggleControl(this, IRect(60, 63, 177, 93), kPresetBrowse));
    controls.browser = build.Add(new IBitmapControl(this, 110, 70, -1, build.Image(kImgBrowser, 1)));
    char text[64];
    for (int k = 0; k < EditorControls::kListRows; ++k) {
        std::snprintf(text, sizeof(text), "Bank - %d", k);
        const int row = build.Text(IRect(350, 90 + 14 * k, 492, 104 + 14 * k), text, LeftAligned());
        if (k == 0) controls.firstBankRow = row;
        build.HideControl(row);
    }
    for (int k = 0; k < EditorControls::kListRows; ++k) {
        std::snprintf(text, sizeof(text), "%3d - Default preset", k + 1);
        // As wide as the list column (to its scroll bar), so names fit without being shortened.
        const int row = build.Text(IRect(140, 90 + 14 * k, 322, 104 + 14 * k), text, LeftAligned());
        if (k == 0) controls.firstPresetRow = row;
        build.HideControl(row);
    }
    controls.bankPick = build.Add(new IVerticalPickControl(this, IRect(350, 90, 492, 370), kBankListClick));
    build.Add(new ISliderControl(this, 505, 91, 277, kBankScroll, build.Image(kImgFader, 1),
                                 ISliderControl::kVertical));
    controls.presetPick =
        build.Add(new IVerticalPickControl(this, IRect(140, 90, 322, 370), kPresetListClick));
    build.Add(new ISliderControl(this, 330, 91, 277, kPresetScroll, build.Image(kImgFader, 1),
                                 ISliderControl::kVertical));
    build.HideControl(controls.browser);
    // The invisible list areas lie over the model panels; shown, they would take the knobs' clicks.
    build.HideControl(controls.bankPick);
    build.HideControl(controls.presetPick);
    editorGraphics->HideParam(kPresetScroll, true);
    editorGraphics->HideParam(kBankScroll, true);

    controls.about = build.Add(
        new IBitmapOverlayControl(this, 157, 101, -1, build.Image(kImgAbout, 1), IRect(0, 0, 200, 30)));

    // The change handler lights these and picks the cabinet's frame.
    for (const LampPlace& lamp : kLamps)
        controls.*lamp.handle = build.Bitmap(lamp.x, lamp.y, -1, lamp.image, 2);
    controls.cabinetPicture = build.Add(new IUnderlayBitmapControl(
        this, kCabinetPictureX, kCabinetPictureY, build.Image(kImgCabinetPicture, kCabinetPictureFrames),
        {editorGraphics->ControlAt(controls.about), editorGraphics->ControlAt(controls.browser),
         editorGraphics->ControlAt(controls.responseFrame), editorGraphics->ControlAt(controls.response)}));

    // The oversampling factor, in the grey of the section labels, right of "AMP MODEL".
    const IColorARGB label(255, 190, 190, 190);
    controls.oversampling = build.Add(new IOversamplingControl(
        this, IRect(98, 170, 124, 184),
        ITextStyle(11, &label, "Arial", ITextStyle::kNormal, ITextStyle::kAlignRight)));

    // SAVE stands in the free strip of the title bar above the preset buttons.
    build.Add(new ITextButtonControl(this, IRect(386, 10, 446, 26), "SAVE", [this] { presetSaver.Begin(); }));

    // The editor's text field, over everything else while it is open.
    auto* field = new ITextFieldControl(this, LeftAligned());
    controls.textField = build.Add(field);
    editorGraphics->SetTextField(field);

    // Without a system file dialog the file button opens the editor's own list of WAV files.
    controls.impulseBrowser = build.Add(new ImpulseBrowser(
        this, IRect(236, 169, 582, 389), [this](const std::string& path) { ChooseImpulse(path); }));
    if (auto* selector =
            dynamic_cast<IFileSelectorControl*>(editorGraphics->ControlAt(controls.fileSelector)))
        selector->SetNoDialogAction([this] { OpenImpulseBrowser(); });

    // Every control is attached: the plug-in's record of what they hold, and of what they are
    // to show, starts from here.
    editorGraphics->BindControlMirror();
    feedback.Bind(editorGraphics->ControlCount());
}

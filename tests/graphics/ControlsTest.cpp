#include "EditorFixture.h"
#include "IBitmapControls.h"
#include "IFileSelectorControl.h"
#include "IKnobControls.h"
#include "IMiscControls.h"
#include "ITextControls.h"

#include <vector>

namespace {

using ControlsTest = EditorTest;

TEST_F(ControlsTest, ThreeFrameSwitchStepsAndWraps) {
    auto* sw = new ISwitchControl(plugin.get(), 0, 0, 1, Plain(10, 10, 3));
    graphics->AddControl(sw);
    for (int i = 0; i < 4; ++i)
        Click(5, 5);
    EXPECT_EQ(plugin->sent, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
}

TEST_F(ControlsTest, OneFrameSwitchToggles) {
    auto* sw = new ISwitchControl(plugin.get(), 0, 0, 1, Plain(10, 10, 1));
    graphics->AddControl(sw);
    for (int i = 0; i < 3; ++i)
        Click(5, 5);
    EXPECT_EQ(plugin->sent, (std::vector<double>{1.0, 0.0, 1.0}));
}

TEST_F(ControlsTest, RightClickOnSwitchPromptsAndResendsValue) {
    auto* sw = new ISwitchControl(plugin.get(), 0, 0, 1, Plain(10, 10, 3));
    graphics->AddControl(sw);
    Open();
    Click(5, 5, true);
    ASSERT_EQ(window->prompts.size(), 1u);
    EXPECT_EQ(window->prompts[0].control, sw);
    EXPECT_EQ(window->prompts[0].param, plugin->ParamAt(1));
    EXPECT_EQ(plugin->sent, (std::vector<double>{0.0}));
    sw->DisablePrompt(true);
    Click(5, 5, true);
    EXPECT_EQ(window->prompts.size(), 1u);
}

TEST_F(ControlsTest, KnobAtTopDraggedUpStaysAndStillSends) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    knob->ApplyPluginValue(1.0);
    graphics->OnMouseDown(10, 10, none);
    graphics->OnMouseDrag(10, 4, none);
    EXPECT_DOUBLE_EQ(knob->Value(), 1.0);
    EXPECT_EQ(plugin->sent, (std::vector<double>{1.0}));
}

TEST_F(ControlsTest, GearingFourOverFullHeightMovesAQuarter) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    knob->SetValue(0.5);
    graphics->OnMouseDown(10, 19, none);
    graphics->OnMouseDrag(10, -1, none); // up by the control's height
    EXPECT_DOUBLE_EQ(knob->Value(), 0.75);
    IMouseKeys fine;
    fine.shift = true;
    graphics->OnMouseDrag(10, 19, fine); // down by the height, ten times finer
    EXPECT_DOUBLE_EQ(knob->Value(), 0.725);
    IKnobMultiControl wide(plugin.get(), 0, 0, 2, Plain(20, 20, 8), 1, 2.0);
    wide.OnMouseDrag(0, 0, 10, 0, none); // half the width at gearing 2
    EXPECT_DOUBLE_EQ(wide.Value(), 0.25);
}

TEST_F(ControlsTest, ContactSendsOneThenZero) {
    auto* contact = new IContactControl(plugin.get(), 0, 0, 3, Plain(10, 10, 2));
    contact->SetDblClickAsSingle(true);
    graphics->AddControl(contact);
    Click(5, 5);
    EXPECT_EQ(plugin->events, (std::vector<std::string>{"begin 3", "set 3 1", "set 3 0", "end 3"}));
}

TEST_F(ControlsTest, ButtonSwitchShowsSecondFrameOnlyWhileHeld) {
    const uint32_t colours[2] = {0xff112233, 0xff445566};
    auto* button = new IButtonSwitchControl(plugin.get(), 0, 0, 1, Strip(8, 8, 2, colours));
    graphics->AddControl(button);
    Attach();
    PaintAll();
    EXPECT_EQ(Pixel(4, 4), colours[0]);
    graphics->OnMouseDown(4, 4, none);
    PaintAll();
    EXPECT_EQ(Pixel(4, 4), colours[1]);
    EXPECT_DOUBLE_EQ(button->Value(), 0.0);
    graphics->OnMouseUp(4, 4, none);
    PaintAll();
    EXPECT_EQ(Pixel(4, 4), colours[0]);
    EXPECT_DOUBLE_EQ(button->Value(), 1.0);
    Click(4, 4);
    EXPECT_DOUBLE_EQ(button->Value(), 0.0);
    EXPECT_EQ(plugin->sent, (std::vector<double>{0.0, 1.0, 1.0, 0.0}));
}

TEST_F(ControlsTest, OverlayHitAreaWhileOffAndOn) {
    auto* under = new IHotspotToggleControl(plugin.get(), IRect(0, 0, 40, 40), 0);
    auto* overlay = new IBitmapOverlayControl(plugin.get(), 0, 0, 1, Plain(40, 40), IRect(30, 30, 40, 40));
    graphics->AddControl(under);
    graphics->AddControl(overlay);
    EXPECT_EQ(graphics->FindControlAt(10, 10), 0); // off: only its off rectangle
    EXPECT_EQ(graphics->FindControlAt(35, 35), 1);
    Click(35, 35);
    EXPECT_DOUBLE_EQ(overlay->Value(), 1.0);
    EXPECT_EQ(graphics->FindControlAt(10, 10), 1); // on: covers its whole image
    Attach();
    PaintAll();
    EXPECT_EQ(Pixel(10, 10), 0xffff0000u);
    overlay->ApplyPluginValue(0.0);
    const IBlendSpec clobber(IBlendSpec::kClobber);
    graphics->FillRect(IColorARGB(255, 1, 2, 3), IRect(0, 0, 64, 48), &clobber);
    PaintAll();
    EXPECT_EQ(graphics->FindControlAt(10, 10), 0);
    EXPECT_EQ(Pixel(10, 10), 0xff010203u); // nothing drawn while off
}

TEST_F(ControlsTest, DoubleClickResetsToFirstPushedValue) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    graphics->PushParameterValue(2, 0.3, true);
    EXPECT_DOUBLE_EQ(knob->DefaultValue(), 0.3);
    graphics->PushParameterValue(2, 0.8, true);
    EXPECT_DOUBLE_EQ(knob->DefaultValue(), 0.3);
    EXPECT_FALSE(graphics->OnMouseDblClick(5, 5, none));
    EXPECT_DOUBLE_EQ(knob->Value(), 0.3);
    EXPECT_EQ(plugin->sent, (std::vector<double>{0.3}));
}

TEST_F(ControlsTest, WheelStepsAndClamps) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    graphics->OnMouseWheel(5, 5, none, 3);
    EXPECT_NEAR(knob->Value(), 0.03, 1e-12);
    IMouseKeys ctrl;
    ctrl.control = true;
    graphics->OnMouseWheel(5, 5, ctrl, -1);
    EXPECT_NEAR(knob->Value(), 0.029, 1e-12);
    graphics->OnMouseWheel(5, 5, none, -100);
    EXPECT_DOUBLE_EQ(knob->Value(), 0.0);
}

TEST_F(ControlsTest, SameTextDoesNotMarkDirty) {
    auto* text = new ITextControl(plugin.get(), IRect(0, 0, 30, 10), ITextStyle(), "abc");
    graphics->AddControl(text);
    text->MarkClean();
    EXPECT_FALSE(text->NeedsRedraw());
    text->ApplyPluginText("abc");
    EXPECT_FALSE(text->NeedsRedraw());
    text->ApplyPluginText("abd");
    EXPECT_TRUE(text->NeedsRedraw());
    EXPECT_EQ(text->Text(), "abd");
    EXPECT_TRUE(plugin->sent.empty());
}

TEST_F(ControlsTest, PluginValueStaysDirtyForOneExtraPass) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    Open();
    EXPECT_TRUE(window->Tick());
    while (window->Tick()) {
    }
    knob->ApplyPluginValue(0.5);
    EXPECT_TRUE(window->Tick());
    EXPECT_TRUE(window->Tick());
    EXPECT_FALSE(window->Tick());
    knob->ApplyPluginValue(0.5); // equal: nothing
    EXPECT_FALSE(window->Tick());
    EXPECT_TRUE(plugin->sent.empty());
}

TEST_F(ControlsTest, UserValueSendsOnlyWhenChanged) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    graphics->MoveParameterControls(2, 0.4);
    graphics->MoveParameterControls(2, 0.4);
    graphics->MoveParameterControls(1, 0.9);
    EXPECT_EQ(plugin->sent, (std::vector<double>{0.4}));
    EXPECT_DOUBLE_EQ(plugin->ParamAt(2)->Value(), 0.4);
}

TEST_F(ControlsTest, HideAndDimStates) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    graphics->HideParam(2, true);
    EXPECT_TRUE(knob->IsHidden());
    EXPECT_EQ(graphics->FindControlAt(5, 5), -1);
    graphics->HideParam(2, false);
    knob->SetDimmed(true);
    EXPECT_FLOAT_EQ(knob->Blend().weight, 0.25f);
    EXPECT_EQ(graphics->FindControlAt(5, 5), -1);
    knob->SetDimmed(false);
    EXPECT_FLOAT_EQ(knob->Blend().weight, 1.0f);
    EXPECT_EQ(graphics->FindControlAt(5, 5), 0);
    knob->MoveTo(30, 20);
    EXPECT_EQ(knob->Rect(), IRect(30, 20, 50, 40));
    EXPECT_EQ(graphics->FindControlAt(5, 5), -1);
    EXPECT_EQ(graphics->FindControlAt(31, 21), 0);
}

TEST_F(ControlsTest, FrameSelection) {
    EXPECT_EQ(FrameForValue(1, 0.7), 1);
    EXPECT_EQ(FrameForValue(3, 0.0), 1);
    EXPECT_EQ(FrameForValue(3, 0.5), 2);
    EXPECT_EQ(FrameForValue(3, 0.74), 2);
    EXPECT_EQ(FrameForValue(3, 0.75), 3);
    EXPECT_EQ(FrameForValue(3, 5.0), 3);
    EXPECT_EQ(FrameForValue(3, -1.0), 1);
    EXPECT_EQ(FrameForValue(3, 1e300), 1);
    IBitmapStrip strip(nullptr, 10, 100, 3);
    EXPECT_EQ(strip.FrameTop(1), 0);
    EXPECT_EQ(strip.FrameTop(2), 33); // int(33.33 + 0.5)
    EXPECT_EQ(strip.FrameTop(3), 67); // int(66.67 + 0.5)
}

TEST_F(ControlsTest, FileSelectorTogglesAndKeepsTheChosenName) {
    auto* chooser = new IFileSelectorControl(plugin.get(), IRect(0, 0, 10, 10), 3, Plain(10, 10, 2));
    graphics->AddControl(chooser);
    Click(5, 5); // no graphics object attached yet: nothing
    EXPECT_TRUE(plugin->sent.empty());
    Open();
    window->QueueFileAnswer("/tmp/a.wav");
    Click(5, 5);
    std::string name;
    chooser->SelectedFile(name);
    EXPECT_EQ(name, "/tmp/a.wav");
    ASSERT_EQ(window->fileRequests.size(), 1u);
    EXPECT_EQ(window->fileRequests[0].extensions, "wav");
    Click(5, 5); // cancelled: empty name, value still toggles
    chooser->SelectedFile(name);
    EXPECT_EQ(name, "");
    EXPECT_EQ(plugin->sent, (std::vector<double>{1.0, 0.0}));
    chooser->MarkClean();
    chooser->MarkClean();
    EXPECT_TRUE(chooser->NeedsRedraw()); // once more after a choice
    EXPECT_FALSE(chooser->NeedsRedraw());
}

TEST_F(ControlsTest, SliderSnapsToTheMouse) {
    auto* slider = new ISliderControl(plugin.get(), 0, 0, 40, 1, Plain(10, 8), ISliderControl::kVertical);
    graphics->AddControl(slider);
    EXPECT_EQ(slider->Rect(), IRect(0, 0, 10, 40));
    graphics->OnMouseDown(5, 4, none); // handle centred at the top
    EXPECT_DOUBLE_EQ(slider->Value(), 1.0);
    graphics->OnMouseDrag(5, 20, none);
    EXPECT_DOUBLE_EQ(slider->Value(), 1.0 - 16.0 / 32.0);
    graphics->OnMouseDrag(5, 100, none);
    EXPECT_DOUBLE_EQ(slider->Value(), 0.0);
    ISliderControl across(plugin.get(), 0, 0, 40, 1, Plain(8, 10), ISliderControl::kHorizontal);
    EXPECT_EQ(across.Rect(), IRect(0, 0, 40, 10));
    across.OnMouseDrag(20, 0, 0, 0, none);
    EXPECT_DOUBLE_EQ(across.Value(), 0.5);
}

TEST_F(ControlsTest, InvisibleControls) {
    auto* pick = new IVerticalPickControl(plugin.get(), IRect(0, 10, 20, 30), 1);
    auto* hotspot = new IHotspotToggleControl(plugin.get(), IRect(30, 0, 40, 10), 2);
    graphics->AddControl(pick);
    graphics->AddControl(hotspot);
    Open();
    graphics->OnMouseDown(5, 12, none);
    graphics->OnMouseUp(5, 15, none);
    EXPECT_DOUBLE_EQ(pick->Value(), 0.25);
    Click(35, 5, true); // prompting disabled: a right click toggles too
    EXPECT_DOUBLE_EQ(hotspot->Value(), 1.0);
    EXPECT_TRUE(window->prompts.empty());
}

TEST_F(ControlsTest, ParamTextWheelStepsAnIntegerParameter) {
    plugin->ParamAt(4)->DeclareInt("count", 0, 0, 4, "x");
    auto* text = new IParamTextControl(plugin.get(), IRect(0, 0, 30, 10), 4, ITextStyle());
    graphics->AddControl(text);
    graphics->OnMouseWheel(5, 5, none, 1);
    EXPECT_DOUBLE_EQ(text->Value(), 0.25);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(4)->Value(), 1.0);
    Attach();
    text->Draw(graphics);
    EXPECT_EQ(text->Text(), "1 x");
    graphics->OnMouseWheel(5, 5, none, 10);
    EXPECT_DOUBLE_EQ(text->Value(), 1.0);
}

TEST_F(ControlsTest, NeedleKnobDrawsFromCentreAlongTheAngle) {
    auto* needle =
        new INeedleKnobControl(plugin.get(), IRect(0, 0, 21, 21), 1, IColorARGB(255, 255, 255, 255), 0.0f,
                               0.0f, -1.5707963f, 1.5707963f);
    graphics->AddControl(needle);
    Attach();
    needle->SetValue(0.5); // angle 0: straight up
    graphics->FillRect(IColorARGB(255, 0, 0, 0), IRect(0, 0, 64, 48), nullptr);
    needle->Draw(graphics);
    EXPECT_EQ(Pixel(10, 2), 0xffffffffu);
    EXPECT_EQ(Pixel(10, 18), 0xff000000u);
    graphics->FillRect(IColorARGB(255, 0, 0, 0), IRect(0, 0, 64, 48), nullptr);
    needle->SetValue(1.0); // angle +90 degrees: to the right
    needle->Draw(graphics);
    EXPECT_EQ(Pixel(18, 10), 0xffffffffu);
    EXPECT_EQ(Pixel(2, 10), 0xff000000u);
}

} // namespace

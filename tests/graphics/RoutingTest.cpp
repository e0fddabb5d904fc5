#include "EditorFixture.h"
#include "IBitmapControls.h"
#include "IKnobControls.h"
#include "IMiscControls.h"

#include <vector>

namespace {

// Counts the events a control receives.
class ProbeControl : public IControl {
public:
    ProbeControl(IPluginBase* p, const IRect& r, int param) : IControl(p, r, param) {}
    void OnMouseDown(int, int, const IMouseKeys&) override { ++downs; }
    void OnMouseUp(int, int, const IMouseKeys&) override { ++ups; }
    void OnMouseDrag(int, int, int dX, int dY, const IMouseKeys&) override { drags.push_back({dX, dY}); }
    void OnMouseDblClick(int, int, const IMouseKeys&) override { ++doubles; }
    void OnKeyDown(int, int, int key) override { keys.push_back(key); }
    void OnMouseOver(int, int, const IMouseKeys&) override { ++overs; }
    void OnMouseOut() override { ++outs; }
    bool Draw(IEditorGraphics*) override {
        ++draws;
        return true;
    }
    int downs = 0, ups = 0, doubles = 0, overs = 0, outs = 0, draws = 0;
    std::vector<std::pair<int, int>> drags;
    std::vector<int> keys;
};

using RoutingTest = EditorTest;

TEST_F(RoutingTest, OneDragGestureBeginsSendsAndEnds) {
    auto* knob = new IKnobMultiControl(plugin.get(), 0, 0, 2, Plain(20, 20, 8));
    graphics->AddControl(knob);
    graphics->OnMouseDown(10, 10, none);
    graphics->OnMouseDrag(10, 8, none);
    graphics->OnMouseDrag(10, 8, none); // same position: not passed on
    graphics->OnMouseDrag(10, 6, none);
    graphics->OnMouseUp(10, 6, none);
    EXPECT_EQ(plugin->events, (std::vector<std::string>{"begin 2", "set 2 0.025", "set 2 0.05", "end 2"}));
}

TEST_F(RoutingTest, RepeatedDragPositionReachesControlOnce) {
    auto* probe = new ProbeControl(plugin.get(), IRect(0, 0, 20, 20), -1);
    graphics->AddControl(probe);
    graphics->OnMouseDown(5, 5, none);
    graphics->OnMouseDrag(7, 4, none);
    graphics->OnMouseDrag(7, 4, none);
    graphics->OnMouseDrag(6, 9, none);
    ASSERT_EQ(probe->drags.size(), 2u);
    EXPECT_EQ(probe->drags[0], std::make_pair(2, -1));
    EXPECT_EQ(probe->drags[1], std::make_pair(-1, 5));
    graphics->OnMouseUp(6, 9, none);
    graphics->OnMouseDrag(1, 1, none); // no capture: ignored
    EXPECT_EQ(probe->drags.size(), 2u);
    EXPECT_TRUE(plugin->events.empty()); // unbound: no begin or end
}

TEST_F(RoutingTest, CapturedControlGetsMouseUpOutside) {
    auto* a = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), 0);
    auto* b = new ProbeControl(plugin.get(), IRect(20, 0, 30, 10), 1);
    graphics->AddControl(a);
    graphics->AddControl(b);
    graphics->OnMouseDown(5, 5, none);
    EXPECT_EQ(graphics->FindControlAt(25, 5), 0);
    graphics->OnMouseUp(25, 5, none);
    EXPECT_EQ(a->ups, 1);
    EXPECT_EQ(b->ups, 0);
    EXPECT_EQ(graphics->CaptureIndex(), -1);
    EXPECT_EQ(plugin->events, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST_F(RoutingTest, DoubleClickAsSingleCapturesWithoutBeginEdit) {
    auto* contact = new IContactControl(plugin.get(), 0, 0, 1, Plain(10, 10, 2));
    contact->SetDblClickAsSingle(true);
    graphics->AddControl(contact);
    EXPECT_TRUE(graphics->OnMouseDblClick(5, 5, none));
    EXPECT_EQ(graphics->CaptureIndex(), 0);
    EXPECT_EQ(plugin->events, (std::vector<std::string>{"set 1 1"}));
    auto* probe = new ProbeControl(plugin.get(), IRect(30, 0, 40, 10), 2);
    graphics->AddControl(probe);
    EXPECT_FALSE(graphics->OnMouseDblClick(35, 5, none));
    EXPECT_EQ(probe->doubles, 1);
    EXPECT_EQ(probe->downs, 0);
    EXPECT_EQ(graphics->CaptureIndex(), -1);
    EXPECT_FALSE(graphics->OnMouseDblClick(60, 40, none));
}

TEST_F(RoutingTest, HiddenAndGrayedControlsAreNotHit) {
    auto* below = new ProbeControl(plugin.get(), IRect(0, 0, 20, 20), -1);
    auto* above = new ProbeControl(plugin.get(), IRect(0, 0, 20, 20), -1);
    graphics->AddControl(below);
    graphics->AddControl(above);
    EXPECT_EQ(graphics->FindControlAt(5, 5), 1); // the last attached wins
    above->Hide(true);
    EXPECT_EQ(graphics->FindControlAt(5, 5), 0);
    above->Hide(false);
    above->SetDimmed(true);
    graphics->OnMouseDown(5, 5, none);
    graphics->OnMouseUp(5, 5, none);
    graphics->OnMouseWheel(5, 5, none, 1);
    EXPECT_EQ(above->downs, 0);
    EXPECT_EQ(below->downs, 1);
    below->SetDimmed(true);
    EXPECT_EQ(graphics->FindControlAt(5, 5), -1);
    EXPECT_EQ(graphics->FindControlAt(30, 30), -1);
}

TEST_F(RoutingTest, HiddenControlIsNotDrawnButItsAreaIsRepainted) {
    auto* probe = new ProbeControl(plugin.get(), IRect(10, 10, 20, 20), -1);
    auto* other = new ProbeControl(plugin.get(), IRect(40, 0, 50, 10), -1);
    graphics->AddControl(probe);
    graphics->AddControl(other);
    Open();
    while (window->Tick()) {
    }
    const int drawn = probe->draws;
    probe->Hide(true);
    IRect dirty;
    ASSERT_TRUE(graphics->NeedsRedraw(dirty));
    EXPECT_EQ(dirty, IRect(10, 10, 20, 20));
    graphics->Draw(dirty);
    EXPECT_EQ(probe->draws, drawn);
    EXPECT_EQ(window->lastPresent, dirty);
}

TEST_F(RoutingTest, DirtyScanUnitesRectanglesAndDrawMeetsOnlyThoseThatIntersect) {
    auto* a = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1);
    auto* b = new ProbeControl(plugin.get(), IRect(30, 20, 40, 30), -1);
    auto* c = new ProbeControl(plugin.get(), IRect(50, 40, 60, 48), -1);
    graphics->AddControl(a);
    graphics->AddControl(b);
    graphics->AddControl(c);
    IRect dirty;
    EXPECT_TRUE(graphics->NeedsRedraw(dirty));
    EXPECT_EQ(dirty, IRect(0, 0, 60, 48));
    graphics->Draw(IRect(0, 0, 35, 25));
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    EXPECT_EQ(c->draws, 0);
    EXPECT_FALSE(graphics->NeedsRedraw(dirty)); // every control was cleaned
    EXPECT_TRUE(dirty.Empty());
}

// A value the plug-in stores between the dirty scan and the paint (from another thread) is not
// lost: the changed control stays dirty when the paint does not reach it, and is drawn next tick.
TEST_F(RoutingTest, ChangeAfterTheDirtyScanSurvivesAPaintElsewhere) {
    auto* a = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1);
    auto* b = new ProbeControl(plugin.get(), IRect(30, 20, 40, 30), -1);
    graphics->AddControl(a);
    graphics->AddControl(b);
    IRect dirty;
    ASSERT_TRUE(graphics->NeedsRedraw(dirty));
    graphics->Draw(dirty);
    ASSERT_FALSE(graphics->NeedsRedraw(dirty));
    a->ApplyPluginValue(0.5);
    ASSERT_TRUE(graphics->NeedsRedraw(dirty));
    EXPECT_EQ(dirty, a->Rect());
    b->ApplyPluginValue(0.5); // after the scan, outside the area about to be painted
    graphics->Draw(dirty);
    EXPECT_EQ(b->draws, 1);
    EXPECT_TRUE(b->IsDirty());
    ASSERT_TRUE(graphics->NeedsRedraw(dirty));
    EXPECT_EQ(dirty.Union(b->Rect()), dirty);
    graphics->Draw(dirty);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(b->Value(), 0.5);
}

TEST_F(RoutingTest, SetBackgroundShiftsEarlierControls) {
    auto* first = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), 1);
    auto* second = new ProbeControl(plugin.get(), IRect(20, 0, 30, 10), 2);
    EXPECT_EQ(graphics->AddControl(first), 0);
    EXPECT_EQ(graphics->AddControl(second), 1);
    SetBackgroundImage(*graphics, 100, "img/background.png");
    ASSERT_EQ(graphics->ControlCount(), 3);
    EXPECT_EQ(graphics->ControlAt(1), first);
    EXPECT_EQ(graphics->ControlAt(2), second);
    EXPECT_EQ(graphics->ControlAt(0)->Rect(), IRect(0, 0, 64, 48));
    EXPECT_EQ(graphics->ControlAt(0)->ParamIdx(), -1);
    EXPECT_EQ(graphics->ControlAt(0)->Blend().method, IBlendSpec::kClobber);
    graphics->PushControlValue(1, 0.7);
    EXPECT_DOUBLE_EQ(first->Value(), 0.7);
    graphics->PushControlValue(7, 0.7); // outside the list: ignored
    graphics->PushControlValue(-1, 0.7);
}

TEST_F(RoutingTest, PushedValuesAreNormalizedWhenAsked) {
    plugin->ParamAt(3)->DeclareDouble("gain", 0.0, -20.0, 20.0, 0.1, "dB");
    auto* probe = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), 3);
    graphics->AddControl(probe);
    graphics->PushParameterValue(3, 10.0, false);
    EXPECT_DOUBLE_EQ(probe->Value(), 0.75);
    graphics->PushParameterValue(99, 1.0, false); // no such parameter
    EXPECT_TRUE(plugin->sent.empty());
}

TEST_F(RoutingTest, HoverWaitsForTrackingAndReportsLeaving) {
    auto* a = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1);
    auto* b = new ProbeControl(plugin.get(), IRect(20, 0, 30, 10), -1);
    graphics->AddControl(a);
    graphics->AddControl(b);
    EXPECT_FALSE(graphics->OnMouseOver(5, 5, none));
    EXPECT_EQ(a->overs, 0);
    graphics->EnableHoverTracking();
    EXPECT_TRUE(graphics->OnMouseOver(5, 5, none));
    EXPECT_TRUE(graphics->OnMouseOver(25, 5, none));
    EXPECT_EQ(a->outs, 1);
    EXPECT_EQ(graphics->HoverIndex(), 1);
    EXPECT_TRUE(graphics->OnMouseOver(45, 45, none)); // nothing there: no change
    EXPECT_EQ(graphics->HoverIndex(), 1);
    graphics->OnMouseOut();
    EXPECT_EQ(graphics->HoverIndex(), -1);
    EXPECT_EQ(b->outs, 1);
}

TEST_F(RoutingTest, KeysGoToTheControlUnderTheMouse) {
    auto* probe = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1);
    graphics->AddControl(probe);
    graphics->OnKeyDown(5, 5, 15);
    graphics->OnKeyDown(50, 5, 16);
    EXPECT_EQ(probe->keys, std::vector<int>{15});
}

TEST_F(RoutingTest, ResizeDropsControlsAndTellsThePlugin) {
    graphics->AddControl(new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1));
    Open();
    graphics->Resize(80, 50);
    EXPECT_EQ(graphics->ControlCount(), 0);
    EXPECT_EQ(graphics->Width(), 80);
    EXPECT_EQ(plugin->editorWidth, 80);
    EXPECT_EQ(plugin->editorHeight, 50);
    graphics->WritePixel(IColorARGB(255, 1, 1, 1), 79, 49);
    EXPECT_EQ(Pixel(79, 49), 0xff010101u);
    EXPECT_EQ(window->messages.back(), "resize 80x50");
}

TEST_F(RoutingTest, WindowLifecycle) {
    auto* probe = new ProbeControl(plugin.get(), IRect(0, 0, 10, 10), -1);
    graphics->AddControl(probe);
    Attach();
    EXPECT_FALSE(graphics->HasWindow());
    PaintAll();
    EXPECT_EQ(window->presentCount, 0); // nothing on screen while closed
    Open();
    EXPECT_TRUE(graphics->HasWindow());
    EXPECT_TRUE(probe->IsDirty());
    graphics->DestroyEditorWindow();
    EXPECT_FALSE(graphics->HasWindow());
    EXPECT_EQ(graphics->WindowHandle(), nullptr);
}

} // namespace

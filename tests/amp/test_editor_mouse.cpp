// Mouse gestures on the real editor reach the plug-in, and no invisible control takes the
// clicks meant for the panel below it.
#include "EditorFixture.h"
#include "ITextControls.h"

namespace {
using EditorMouse = EditorFixture;

const IMouseKeys kLeft{true, false, false, false, false};

TEST_F(EditorMouse, EveryVisibleKnobOfEachPanelIsTheControlUnderItsCentre) {
    for (int m = 0; m < kNumModels; ++m) {
        SelectModel(m);
        for (int i = kControlFirstPanel; i < 132; ++i) {
            const IControl* control = At(i);
            if (control->IsHidden() || control->ParamIdx() == kModelLed + m) continue;
            const IRect& r = control->Rect();
            EXPECT_EQ(graphics->FindControlAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), i)
                << "model " << m << " control " << i;
        }
    }
}

TEST_F(EditorMouse, DraggingAPanelKnobMovesTheSharedKnobAndTellsTheHost) {
    // Clean 1's gain knob (index 9, parameter 78) at (355, 223), 50 pixels high.
    const int x = 380, y = 248;
    ASSERT_EQ(graphics->FindControlAt(x, y), 9);
    graphics->OnMouseDown(x, y, kLeft);
    graphics->OnMouseDrag(x, y - 25, kLeft); // half the height: +0.5 / 4
    graphics->OnMouseUp(x, y - 25, kLeft);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kModelGain)->Value(), 0.625);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpGain)->Value(), 0.625);
    EXPECT_EQ(static_cast<ITextControl*>(At(kControlValueText))->Text(), "6.25");
    const auto& begins = host->recorded.beginEdits;
    EXPECT_NE(std::find(begins.begin(), begins.end(), kModelGain), begins.end());
    bool automated = false;
    for (const auto& a : host->recorded.automation)
        automated |= a.index == kModelGain && a.value == 0.625f;
    EXPECT_TRUE(automated);
}

TEST_F(EditorMouse, ModelStepButtonSelectsTheNextModelOnRelease) {
    // Model-next contact (index 147) at (161, 184).
    ASSERT_EQ(graphics->FindControlAt(170, 190), 147);
    graphics->OnMouseDown(170, 190, kLeft);
    EXPECT_EQ(plugin->CurrentModel(), 1);
    EXPECT_EQ(plugin->ParamAt(kAmpModel)->Value(), 0.0); // selected on release
    graphics->OnMouseUp(170, 190, kLeft);
    EXPECT_EQ(plugin->ParamAt(kAmpModel)->Value(), 1.0);
    EXPECT_FALSE(At(15)->IsHidden()); // Clean 2's panel image
    EXPECT_TRUE(At(7)->IsHidden());
}

TEST_F(EditorMouse, TunerButtonSwapsTheFeedbackForTheTuner) {
    // Tuner contact (index 145) at (450, 56).
    graphics->OnMouseDown(460, 66, kLeft);
    graphics->OnMouseUp(460, 66, kLeft);
    for (int i = kControlTunerBackground; i <= kControlTunerButton; ++i)
        EXPECT_FALSE(At(i)->IsHidden()) << i;
    for (int i : {159, 160, 173, 175})
        EXPECT_TRUE(At(i)->IsHidden()) << i;
    graphics->OnMouseDown(460, 66, kLeft);
    graphics->OnMouseUp(460, 66, kLeft);
    for (int i = kControlTunerBackground; i <= kControlTunerButton; ++i)
        EXPECT_TRUE(At(i)->IsHidden()) << i;
    for (int i : {159, 160, 173, 175})
        EXPECT_FALSE(At(i)->IsHidden()) << i;
}

TEST_F(EditorMouse, FileSelectorWithoutAFileDialogOpensTheEditorsListAndKeepsRunning) {
    // No window, so no file dialog: the editor's own list opens and nothing is chosen yet.
    graphics->OnMouseDown(100, 330, kLeft);
    graphics->OnMouseUp(100, 330, kLeft);
    EXPECT_EQ(At(kControlFileSelector)->Value(), 0.0);
    EXPECT_FALSE(At(plugin->Controls().impulseBrowser)->IsHidden());
    EXPECT_EQ(plugin->ImpulsePath(), "");
    std::vector<double> out = Render();
    for (double s : out)
        ASSERT_TRUE(std::isfinite(s));
}
} // namespace

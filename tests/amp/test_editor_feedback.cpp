// What the editor feedback shows after changes: the one visible model panel and the values it
// takes, the impulse panel, a restored state's panel, the chain lamps and the cabinet picture.
#include "EditorFixture.h"

namespace {
using EditorFeedbackTest = EditorFixture;

int ModelOf(int param) {
    return (param - kModelSwitch) % kNumModels;
}

// Every control bound to a per-model parameter is shown exactly when its model is `shown`
// (-1: none is).
void ExpectPanelShown(IEditorGraphics* graphics, int shown) {
    for (int i = 0; i < graphics->ControlCount(); ++i) {
        const IControl* control = graphics->ControlAt(i);
        if (!IsPanelParam(control->ParamIdx())) continue;
        EXPECT_EQ(control->IsHidden(), ModelOf(control->ParamIdx()) != shown)
            << "control " << i << " of model " << ModelOf(control->ParamIdx());
    }
}

TEST_F(EditorFeedbackTest, OpeningShowsOnlyTheFirstModelsPanel) {
    ExpectPanelShown(graphics, 0);
}

TEST_F(EditorFeedbackTest, SelectingAModelShowsOnlyItsPanel) {
    for (int m : {7, 14, 4, 13, 0, 15}) {
        SelectModel(m);
        ASSERT_EQ(plugin->CurrentModel(), m);
        SCOPED_TRACE("model " + std::to_string(m));
        ExpectPanelShown(graphics, m);
    }
}

TEST_F(EditorFeedbackTest, ImpulsePanelHidesEveryModelPanelUntilToggledBack) {
    SelectModel(9);
    Click(kIrPanel);
    ExpectPanelShown(graphics, -1);
    for (int i : {167, 170, 168, 169})
        EXPECT_FALSE(At(i)->IsHidden()) << i;
    EXPECT_EQ(plugin->ParamAt(kIrPanelLed)->Value(), 1.0);
    // A model change selects its sound but shows no panel while the impulse panel is up.
    SelectModel(3);
    EXPECT_EQ(plugin->CurrentModel(), 3);
    ExpectPanelShown(graphics, -1);
    Click(kIrPanel);
    ExpectPanelShown(graphics, 3);
    for (int i : {167, 170, 168, 169})
        EXPECT_TRUE(At(i)->IsHidden()) << i;
}

TEST_F(EditorFeedbackTest, NewPanelTakesTheSharedValues) {
    SelectModel(5);
    host->SetParameter(kModelGain + 5, 0.75f);
    SelectModel(11);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kModelGain + 11)->Value(), 0.75);
    // Dirty Box's gain knob is control 96 (panel image at 94, volume at 95).
    EXPECT_EQ(At(96)->ParamIdx(), kModelGain + 11);
    EXPECT_DOUBLE_EQ(At(96)->Value(), 0.75);
}

TEST_F(EditorFeedbackTest, ModelSteppersClampAtTheEnds) {
    SelectModel(15);
    Click(kModelNext);
    EXPECT_EQ(plugin->CurrentModel(), 15);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpModel)->Value(), 15.0);
    ExpectPanelShown(graphics, 15);
    Click(kModelPrev);
    EXPECT_EQ(plugin->CurrentModel(), 14);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpModel)->Value(), 14.0);
    ExpectPanelShown(graphics, 14);
    SelectModel(0);
    Click(kModelPrev);
    EXPECT_EQ(plugin->CurrentModel(), 0);
    ExpectPanelShown(graphics, 0);
}

TEST_F(EditorFeedbackTest, StateRestoreEndsOnTheRestoredPanelWithItsValues) {
    SelectModel(7);
    host->SetParameter(kModelSwitch + 7, 1.0f);
    host->SetParameter(kModelVolume + 7, 0.25f);
    host->SetParameter(kModelTreble + 7, 0.75f);
    const std::vector<char> chunk = host->GetChunk(true);
    const std::vector<double> sound = Render();

    std::unique_ptr<HostedPlugin> other;
    VulpanePlugin* restored = nullptr;
    IEditorGraphics* restoredGraphics = nullptr;
    Make(other, restored, restoredGraphics);
    ASSERT_EQ(other->SetChunk(true, chunk), 1);
    EXPECT_EQ(restored->CurrentModel(), 7);
    ExpectPanelShown(restoredGraphics, 7);
    EXPECT_DOUBLE_EQ(restoredGraphics->ControlAt(63)->Value(), 0.25); // Metal Charter's volume knob
    EXPECT_DOUBLE_EQ(restoredGraphics->ControlAt(67)->Value(), 0.75); // and its treble knob
    EXPECT_DOUBLE_EQ(restoredGraphics->ControlAt(68)->Value(), 1.0);  // its switch
    EXPECT_DOUBLE_EQ(restored->ParamAt(kAmpVolume)->Value(), 0.25);
    EXPECT_DOUBLE_EQ(restored->ParamAt(kAmpTreble)->Value(), 0.75);
    // Dispatched in index order: the last feedback comes from model 7's treble (index 133).
    EXPECT_NEAR(restoredGraphics->ControlAt(kControlNameStrip)->Value() * 31.0, 21, 1e-9);
    EXPECT_EQ(ValueText(restoredGraphics), "2.50");
    EXPECT_EQ(MaxDifference(Render(*other), sound), 0.0);
}

TEST_F(EditorFeedbackTest, ChainLampsAndCabinetPictureFollowWhatIsOn) {
    const int lamps[] = {kControlLampGate, kControlLampAmp, kControlLampCabinet, kControlLampEq,
                         kControlLampImpulse};
    for (int lamp : lamps)
        EXPECT_EQ(At(lamp)->Value(), 0.0) << "lamp " << lamp << " at the defaults";
    host->SetParameter(kGate, 1.0f);
    host->SetParameter(kModelSwitch, 1.0f); // model 0's own switch turns the amp on
    host->SetParameter(kEqHigh, 0.75f);
    Click(kIrToggle);
    host->SetParameter(kCabPreset, 23.0f / kLastCabinet);
    for (int lamp : lamps)
        EXPECT_EQ(At(lamp)->Value(), 1.0) << "lamp " << lamp << " with everything on";
    host->SetParameter(kEqHigh, 0.5f);
    EXPECT_EQ(At(kControlLampEq)->Value(), 0.0) << "a flat EQ is off";

    // The picture's frame is the arrangement a cabinet's name gives.
    const struct {
        const char* name;
        int frame;
    } pictures[] = {{"Cabinet Off", kCabinetPictureOff},
                    {"Mpeg 8x10", kCabinetPicture8x10},
                    {"Meza 2x12 A", kCabinetPicture2x12},
                    {"Diesel 4x12", kCabinetPicture4x12},
                    {"Phender DR", kCabinetPicture1x12}};
    for (const auto& picture : pictures) {
        int cabinet = 0;
        while (cabinet < kNumCabinets && std::string(kCabinetNames[cabinet]) != picture.name) ++cabinet;
        ASSERT_LT(cabinet, kNumCabinets) << picture.name;
        host->SetParameter(kCabPreset, static_cast<float>(cabinet / static_cast<double>(kLastCabinet)));
        EXPECT_NEAR(At(kControlCabinetPicture)->Value() * (kCabinetPictureFrames - 1), picture.frame, 1e-9)
            << picture.name;
        EXPECT_EQ(At(kControlLampCabinet)->Value(), cabinet == 0 ? 0.0 : 1.0) << picture.name;
    }
}
} // namespace

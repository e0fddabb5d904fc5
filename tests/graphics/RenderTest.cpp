#include "EditorFixture.h"
#include "IBitmapControls.h"
#include "IKnobControls.h"
#include "ImageDecode.h"
#include "ImageEncode.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string GoldenPath() {
    const char* source = std::getenv("VULPANE_SOURCE_DIR");
    return (source ? std::string(source) + "/tests/" : std::string()) + "graphics/data/editor_layout.png";
}

// A small layout drawn end to end: background, a knob strip, a switch, a grayed knob, a
// needle and an overlay, painted by one timer tick of a headless window. No text, so the
// picture does not depend on the installed fonts. Set VULPANE_UPDATE_GOLDEN=1 to rewrite
// the expected image after an intended change.
using RenderTest = EditorTest;

TEST_F(RenderTest, HeadlessRenderMatchesTheExpectedImage) {
    const uint32_t switchColours[2] = {0xff204080, 0xffe0c020};
    const uint32_t glass[1] = {0x80ffffff};
    graphics->AddControl(
        new IKnobMultiControl(plugin.get(), 4, 4, 0, graphics->LoadImageResource(101, "k.png", 4)));
    graphics->AddControl(new ISwitchControl(plugin.get(), 24, 6, 1, Strip(10, 8, 2, switchColours)));
    auto* grayed =
        new IKnobMultiControl(plugin.get(), 4, 30, 2, graphics->LoadImageResource(101, "k.png", 4));
    graphics->AddControl(grayed);
    graphics->AddControl(new INeedleKnobControl(plugin.get(), IRect(40, 24, 60, 44), 3,
                                                IColorARGB(255, 250, 250, 250), 2.0f, 0.0f, -2.356f, 2.356f));
    graphics->AddControl(
        new IBitmapOverlayControl(plugin.get(), 40, 2, -1, Strip(20, 16, 1, glass), IRect()));
    SetBackgroundImage(*graphics, 100, "img/background.png");
    plugin->ParamAt(0)->SetValue(0.5);
    plugin->ParamAt(1)->SetValue(1.0);
    plugin->ParamAt(3)->SetValue(0.3);
    Open();
    grayed->SetDimmed(true);
    graphics->PushControlValue(5, 1.0); // the overlay, shifted by the background
    ASSERT_TRUE(window->Tick());
    EXPECT_EQ(window->lastPresent, IRect(0, 0, 64, 48));

    IRaster* rendered = graphics->DrawBitmapSurface();
    const std::string actualPath = testing::TempDir() + "editor_layout_actual.png";
    EncodePng(rendered, actualPath.c_str(), true);
    if (std::getenv("VULPANE_UPDATE_GOLDEN")) {
        ASSERT_TRUE(EncodePng(rendered, GoldenPath().c_str(), true));
    }

    std::unique_ptr<IRaster> golden(DecodePng(GoldenPath().c_str()));
    ASSERT_NE(golden, nullptr) << "missing " << GoldenPath();
    ASSERT_EQ(golden->Width(), 64);
    ASSERT_EQ(golden->Height(), 48);
    int differing = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if ((golden->Row(y)[x] & 0xffffff) != (rendered->Row(y)[x] & 0xffffff)) ++differing;
    EXPECT_EQ(differing, 0) << "see " << actualPath;
}

} // namespace

#include "EditorFixture.h"

#include <algorithm>

namespace {
class Messages : public EditorTest {};

TEST_F(Messages, MessagesReachTheWindowServiceOpenOrClosed) {
    graphics->ShowMessage("File not found:\nx.wav", "Error");
    Open();
    graphics->ShowMessage("second", "Error");
    const auto& m = window->messages;
    EXPECT_NE(std::find(m.begin(), m.end(), "message Error: File not found:\nx.wav"), m.end());
    EXPECT_NE(std::find(m.begin(), m.end(), "message Error: second"), m.end());
}

TEST(MessagesWithoutWindow, AreDroppedSafely) {
    IPlatformGraphics headless(nullptr, 8, 8, 0, nullptr, nullptr);
    headless.ShowMessage("nothing shows this", "Error");
    headless.ShowMessage(nullptr, nullptr);
}
} // namespace

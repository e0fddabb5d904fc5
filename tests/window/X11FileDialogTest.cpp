// The Linux file dialog and messages run the desktop's dialog programs; fakes on PATH stand in.
#ifndef _WIN32
#include "X11FileDialog.h"
#include "X11EditorWindow.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {
class FileChooser : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vulpane-chooser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", dir.c_str(), 1); // only the fakes, and no real chooser
        savedDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        setenv("DISPLAY", ":99", 1); // the fakes need none, but a desktop has one
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        setenv("DISPLAY", savedDisplay.c_str(), 1);
        for (const char* name : {"zenity", "kdialog", "args", "release", "closed"})
            std::remove((dir + "/" + name).c_str());
        rmdir(dir.c_str());
    }
    // A chooser that records its arguments, prints output and exits with status.
    void Fake(const std::string& name, const std::string& output, int status) {
        const std::string path = dir + "/" + name;
        std::ofstream(path) << "#!/bin/sh\necho \"$@\" > " << dir << "/args\nprintf '" << output << "'\nexit "
                            << status << "\n";
        chmod(path.c_str(), 0755);
    }
    std::string Args() {
        std::ifstream in(dir + "/args");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // A message program that records its arguments, then stays open until Release.
    void FakeMessage(const std::string& name) {
        const std::string path = dir + "/" + name;
        mkfifo((dir + "/release").c_str(), 0600);
        std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$*\" > " << dir << "/args\nread line < " << dir
                            << "/release\n: > " << dir << "/closed\n";
        chmod(path.c_str(), 0755);
    }
    // Waits (up to 10 s) for the fake to have written its arguments.
    std::string AwaitArgs() {
        for (int i = 0; i < 1000 && access((dir + "/closed").c_str(), F_OK) != 0; ++i) {
            std::string args = Args();
            if (!args.empty() && args.back() == '\n') return args;
            usleep(10000);
        }
        return Args();
    }
    bool Closed() { return access((dir + "/closed").c_str(), F_OK) == 0; }
    void Release() {
        std::ofstream(dir + "/release") << "ok\n";
        for (int i = 0; i < 1000 && !Closed(); ++i)
            usleep(10000);
    }

    std::string dir;
    std::string savedPath;
    std::string savedDisplay;
};

TEST_F(FileChooser, ZenityAnswersTheChosenPathStartingInTheFolder) {
    Fake("zenity", "/home/u/ir/room.wav\\n", 0);
    EXPECT_EQ(RunFileChooser(0, "/home/u/ir"), "/home/u/ir/room.wav");
    EXPECT_EQ(Args(), "--file-selection --title=Vulpane --filename=/home/u/ir/\n");
    EXPECT_EQ(RunFileChooser(1, nullptr), "/home/u/ir/room.wav");
    EXPECT_EQ(Args(), "--file-selection --title=Vulpane --save --confirm-overwrite --filename=\n");
}

TEST_F(FileChooser, CancelAndOddAnswersGiveNoName) {
    Fake("zenity", "/home/u/x.wav\\n", 1); // cancel
    EXPECT_EQ(RunFileChooser(0, "/tmp"), "");
    Fake("zenity", "relative.wav\\n", 0);
    EXPECT_EQ(RunFileChooser(0, "/tmp"), "");
    Fake("zenity", "/a.wav\\n/b.wav\\n", 0);
    EXPECT_EQ(RunFileChooser(0, "/tmp"), "");
}

TEST_F(FileChooser, KdialogWhenThereIsNoZenityAndNothingWithoutEither) {
    EXPECT_EQ(RunFileChooser(0, "/tmp"), "");
    Fake("kdialog", "/srv/cab.wav\\n", 0);
    EXPECT_EQ(RunFileChooser(0, "/srv"), "/srv/cab.wav");
    EXPECT_EQ(Args(), "--getopenfilename /srv/\n");
}
TEST_F(FileChooser, ErrorMessagesOpenInZenityWithoutWaitingForThem) {
    FakeMessage("zenity");
    // Markup characters and a second line reach the dialog as they are.
    EXPECT_TRUE(ShowDesktopMessage("Error", "File not found:\n/ir/a&b <c>.wav"));
    EXPECT_EQ(AwaitArgs(), "--error --no-markup --title=Error --text=File not found:\n/ir/a&b <c>.wav\n");
    EXPECT_FALSE(Closed()); // the call returned while the dialog is still open
    Release();
    EXPECT_TRUE(Closed());
}

TEST_F(FileChooser, MessagesUseKdialogWithoutZenityAndAreOnlyRecordedWithNeitherOrNoDisplay) {
    X11EditorWindow window; // never opened: messages still go out
    EXPECT_FALSE(ShowDesktopMessage("Error", "nothing shows this"));
    window.ShowMessage("Truncated WAV file:\n/ir/x.wav", "Error");
    EXPECT_EQ(window.LastMessage(), "Error: Truncated WAV file:\n/ir/x.wav");

    FakeMessage("kdialog");
    window.ShowMessage("WAV sample rate out of range", "Error");
    EXPECT_EQ(AwaitArgs(), "--title Error --error WAV sample rate out of range\n");
    Release();

    unsetenv("DISPLAY");
    std::remove((dir + "/args").c_str());
    EXPECT_FALSE(ShowDesktopMessage("Error", "no display"));
    window.ShowMessage("no display", "Error");
    EXPECT_EQ(window.LastMessage(), "Error: no display");
    EXPECT_EQ(Args(), "");
}
} // namespace
#endif

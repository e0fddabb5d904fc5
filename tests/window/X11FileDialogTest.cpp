// The Linux file dialog runs the desktop's chooser program; fake choosers on PATH stand in.
#ifndef _WIN32
#include "X11FileDialog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        for (const char* name : {"zenity", "kdialog", "args"})
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

    std::string dir;
    std::string savedPath;
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
} // namespace
#endif

// The safe file write: a full disk, a refused rename or a failed close leaves the old file as it
// was and no temporary file behind, and says what failed.
#include "FileWriting.h"
#include "UserDataFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The system's steps, with one of them failing as a full disk or a refused rename would.
class FailingSteps : public FileSteps {
public:
    enum Fault { kNone, kDiskFull, kFlush, kClose, kRename };
    explicit FailingSteps(Fault f) : fault(f) {}
    intptr_t Create(const std::string& path, std::string& error) override {
        return SystemFileSteps().Create(path, error);
    }
    bool Write(intptr_t file, const unsigned char* data, size_t size, std::string& error) override {
        if (fault != kDiskFull) return SystemFileSteps().Write(file, data, size, error);
        // The disk fills half-way: part of the bytes reach the temporary file.
        SystemFileSteps().Write(file, data, size / 2, error);
        error = "No space left on device";
        return false;
    }
    bool Flush(intptr_t file, std::string& error) override {
        if (fault == kFlush) {
            error = "Input/output error";
            return false;
        }
        return SystemFileSteps().Flush(file, error);
    }
    bool Close(intptr_t file, std::string& error) override {
        const bool closed = SystemFileSteps().Close(file, error);
        if (fault == kClose) error = "Input/output error";
        return closed && fault != kClose;
    }
    bool Rename(const std::string& from, const std::string& to, std::string& error) override {
        if (fault == kRename) {
            error = "Permission denied";
            return false;
        }
        return SystemFileSteps().Rename(from, to, error);
    }
    void Remove(const std::string& path) override { SystemFileSteps().Remove(path); }
    Fault fault;
};

class SafeFileWrite : public ::testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder = fs::temp_directory_path() / ("vulpane-write-" + std::to_string(stamp));
        fs::create_directories(folder);
        path = (folder / "preset.vzp").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::string path;
};

TEST_F(SafeFileWrite, ReplacesTheWholeFileOrLeavesTheOldOne) {
    const std::vector<unsigned char> fresh(100000, 'n');
    struct Case {
        FailingSteps::Fault fault;
        const char* says;
    };
    const Case cases[] = {{FailingSteps::kDiskFull, "No space left on device"},
                          {FailingSteps::kFlush, "Input/output error"},
                          {FailingSteps::kClose, "Input/output error"},
                          {FailingSteps::kRename, "Permission denied"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        std::ofstream(path, std::ios::binary) << "old preset";
        FailingSteps steps(c.fault);
        std::string error;
        EXPECT_FALSE(WriteFileSafely(path, fresh, error, steps));
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(Read(path), "old preset");
        EXPECT_FALSE(fs::exists(TemporaryNameFor(path)));
    }
    FailingSteps none(FailingSteps::kNone);
    std::string error;
    ASSERT_TRUE(WriteFileSafely(path, fresh, error, none)) << error;
    EXPECT_EQ(Read(path), std::string(fresh.begin(), fresh.end()));
    EXPECT_FALSE(fs::exists(TemporaryNameFor(path)));
    // The real system refuses a folder in the way (as root too) and keeps it.
    const std::string blocked = (folder / "taken.vzp").string();
    fs::create_directory(blocked);
    EXPECT_FALSE(WriteFileSafely(blocked, fresh, error));
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_FALSE(fs::exists(TemporaryNameFor(blocked)));
}

TEST_F(SafeFileWrite, MakesMissingFoldersAndTellsWhatExists) {
    const std::string deep = (folder / "a" / "b c" / "d").string();
    EXPECT_FALSE(PathExists(deep));
    EXPECT_TRUE(MakeFolders(deep));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(MakeFolders(deep + static_cast<char>(fs::path::preferred_separator)));
    EXPECT_TRUE(PathExists(deep));
    std::ofstream((folder / "file").string()) << "x";
    EXPECT_FALSE(MakeFolders((folder / "file" / "under").string())); // a file is in the way
}

#if !defined(_WIN32)
TEST(UserDataFolder, FollowsXdgDataHomeElseTheHomeFolder) {
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string savedData = oldData ? oldData : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UserDataFolder(), "/data/home/");
    setenv("XDG_DATA_HOME", "relative/ignored", 1); // the rule takes absolute paths only
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/");
    if (oldData) setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}
#endif
} // namespace

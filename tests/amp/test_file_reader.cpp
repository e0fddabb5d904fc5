// The platform file reader and folder listing that impulse and preset files go through.
#include "FileReader.h"
#include "FolderListing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

class FileAccess : public testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = fs::temp_directory_path() / ("vulpane-files-" + std::to_string(stamp));
        ASSERT_TRUE(fs::create_directory(dir));
        path = (dir / "data.bin").string();
        for (int i = 0; i < 100003; ++i)
            bytes.push_back(static_cast<unsigned char>((i * 7 + i / 251) & 0xFF));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
    std::string path;
    std::vector<unsigned char> bytes;
};

TEST_F(FileAccess, ReadsAcrossBufferRefillsAndSeeksMatchTheFile) {
    FileReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(reader.Size(), static_cast<int64_t>(bytes.size()));
    std::vector<unsigned char> got;
    unsigned char piece[40000];
    for (int64_t n : {1, 999, 9000, 40000, 7, 40000, 40000}) {
        const int64_t r = reader.Read(piece, n);
        got.insert(got.end(), piece, piece + r);
    }
    EXPECT_EQ(got, bytes); // the last read stopped at the end of the file
    EXPECT_EQ(reader.Read(piece, 10), 0);
    reader.Seek(8190);
    ASSERT_EQ(reader.Read(piece, 4), 4);
    EXPECT_TRUE(std::equal(piece, piece + 4, bytes.begin() + 8190));
    reader.Seek(-5);
    EXPECT_EQ(reader.Position(), 0);
    reader.Seek(1 << 30);
    EXPECT_EQ(reader.Position(), reader.Size());

    std::vector<unsigned char> whole;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), 1 << 20, whole));
    EXPECT_EQ(whole, bytes);
    EXPECT_FALSE(ReadWholeFile(path.c_str(), 1000, whole));
}

TEST_F(FileAccess, MissingFilesAndFoldersFailCleanly) {
    FileReader reader;
    EXPECT_FALSE(reader.Open((dir / "missing.wav").string().c_str()));
    EXPECT_FALSE(reader.Open(dir.string().c_str())); // a folder is not a file
    EXPECT_FALSE(reader.Open(nullptr));
    unsigned char b[4];
    EXPECT_EQ(reader.Read(b, 4), 0);
    std::vector<FolderEntry> entries;
    EXPECT_FALSE(ListFolder((dir / "none").string().c_str(), entries));
}

TEST_F(FileAccess, FolderListingNamesFilesAndFolders) {
    fs::create_directory(dir / "sub.wav");
    std::ofstream((dir / "x.WAV").string()) << "x";
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir.string().c_str(), entries));
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "data.bin");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "sub.wav");
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(entries[2].name, "x.WAV");
}
} // namespace

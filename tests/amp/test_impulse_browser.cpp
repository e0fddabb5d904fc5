// The editor's own impulse list: what a folder shows, entering folders, scrolling, choosing a
// WAV file, and the picture it draws in the impulse panel's place.
#include "EditorFixture.h"
#include "ImageDecode.h"
#include "ImpulseBrowser.h"
#include "ScopedEnvironment.h"
#include "WavBytes.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

class ImpulseList : public EditorFixture {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = fs::temp_directory_path() / ("vulpane-list-" + std::to_string(stamp));
        fs::create_directories(root / "Cabinets");
        fs::create_directories(root / ".hidden");
        for (int i = 0; i < 30; ++i)
            Wav(root / ("ir" + std::to_string(100 + i) + ".WAV"));
        Wav(root / "Cabinets" / "a 4x12.wav");
        std::ofstream(root / "notes.txt") << "not an impulse";
        environment.Set(ScopedEnvironment::UserDataVariable(), (root / "data").string());
        environment.Set(ScopedEnvironment::HomeVariable(), (root / "elsewhere").string());
        EditorFixture::SetUp();
        list = dynamic_cast<ImpulseBrowser*>(At(plugin->Controls().impulseBrowser));
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    static void Wav(const fs::path& path) {
        const std::vector<uint8_t> wav = wavtest::MakeWav16({16000, -4000, 1000, 0, 0, 0, 0, 0});
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }
    void ClickAt(int x, int y) {
        IMouseKeys left;
        left.left = true;
        graphics->OnMouseDown(x, y, left);
        graphics->OnMouseUp(x, y, IMouseKeys());
    }
    void ClickRow(int k) {
        const IRect r = list->RowRect(k);
        ClickAt(r.left + 20, r.top + 5);
    }
    std::string Folder(const fs::path& p) const {
        return p.string() + static_cast<char>(fs::path::preferred_separator);
    }

    fs::path root;
    ScopedEnvironment environment;
    ImpulseBrowser* list = nullptr;
};

TEST_F(ImpulseList, ShowsTheParentFoldersThenWavFilesAndEntersAndChooses) {
    list->Open({"", (root / "missing").string(), root.string()}); // the first readable folder
    ASSERT_TRUE(list->IsOpen());
    EXPECT_EQ(list->Folder(), Folder(root));
    ASSERT_EQ(list->Entries().size(), 32u); // "..", one folder, thirty WAV files; no hidden folder, no text
    EXPECT_EQ(list->Entries()[0].name, "..");
    EXPECT_EQ(list->Entries()[1].name, "Cabinets/");
    EXPECT_EQ(list->Entries()[2].name, "ir100.WAV");
    EXPECT_EQ(list->Entries()[31].name, "ir129.WAV");

    // The wheel scrolls three rows a notch, the scroll column pages, neither past the end.
    graphics->OnMouseWheel(300, 250, IMouseKeys(), -1);
    EXPECT_EQ(list->FirstRow(), 3);
    const IRect low = list->RowRect(ImpulseBrowser::kRows - 1);
    ClickAt(low.right + 5, low.top + 2);
    EXPECT_EQ(list->FirstRow(), 3 + ImpulseBrowser::kRows - 1);
    ClickAt(low.right + 5, low.top + 2);
    EXPECT_EQ(list->FirstRow(), 32 - ImpulseBrowser::kRows);
    graphics->OnMouseWheel(300, 250, IMouseKeys(), 20);
    EXPECT_EQ(list->FirstRow(), 0);

    ClickRow(1); // into Cabinets
    EXPECT_EQ(list->Folder(), Folder(root / "Cabinets"));
    ASSERT_EQ(list->Entries().size(), 2u);
    ClickRow(0); // back up
    EXPECT_EQ(list->Folder(), Folder(root));
    ClickRow(1);
    ClickRow(1); // the WAV file loads as the file button's choice
    EXPECT_FALSE(list->IsOpen());
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(plugin->ImpulsePath(), (root / "Cabinets" / "a 4x12.wav").string());
    EXPECT_EQ(plugin->ImpulseError(), "");
    EXPECT_EQ(plugin->ImpulseNames(), (std::vector<std::string>{"a 4x12"}));
}

TEST_F(ImpulseList, TheFileButtonOpensItOnTheFolderLastChosenFromAndClosesIt) {
    list->Open({root.string()});
    ClickRow(5); // ir103.WAV
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(plugin->ImpulsePath(), (root / "ir103.WAV").string());
    fs::create_directories(root / "elsewhere");

    // A fresh instance (no impulse of its own) offers the remembered folder first.
    std::unique_ptr<HostedPlugin> otherHost;
    VulpanePlugin* other = nullptr;
    IEditorGraphics* otherGraphics = nullptr;
    Make(otherHost, other, otherGraphics);
    auto* otherList =
        dynamic_cast<ImpulseBrowser*>(otherGraphics->ControlAt(other->Controls().impulseBrowser));
    IMouseKeys left;
    left.left = true;
    otherGraphics->OnMouseDown(100, 330, left); // the file button, with no file dialog
    ASSERT_TRUE(otherList->IsOpen());
    EXPECT_EQ(otherList->Folder(), Folder(root));
    otherGraphics->OnMouseDown(100, 330, left); // a second press closes the list
    EXPECT_FALSE(otherList->IsOpen());
    const IRect close = otherList->CloseRect();
    otherGraphics->OnMouseDown(100, 330, left);
    otherGraphics->OnMouseDown(close.left + 2, close.top + 2, left);
    EXPECT_FALSE(otherList->IsOpen());
}

TEST(ImpulseListFolders, TheParentOfAFolder) {
    EXPECT_EQ(ParentFolder("/a/b/"), "/a/");
    EXPECT_EQ(ParentFolder("/a/b"), "/a/");
    EXPECT_EQ(ParentFolder("/a/"), "/");
    EXPECT_EQ(ParentFolder("/"), "");
    EXPECT_EQ(ParentFolder("C:\\IR\\"), "C:\\");
    EXPECT_EQ(ParentFolder("C:\\"), "");
}
} // namespace

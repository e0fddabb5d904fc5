// The editor in a real X11 child window, driven the way Linux hosts drive it: effEditOpen with
// the parent's window id, effEditIdle every few tens of milliseconds, effEditClose.
#ifndef _WIN32
#include "ITextFieldControl.h"
#include "ImpulseBrowser.h"
#include "WavBytes.h"
#include "WindowFixture.h"
#include "X11EditorWindow.h"
#include "X11Input.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {
class X11Window : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) GTEST_SKIP() << "no X display (DISPLAY is not set)";
        display = XOpenDisplay(nullptr);
        if (!display) GTEST_SKIP() << "cannot open X display " << name;
        parent = NewParent();
        ASSERT_TRUE(vulpane.host);
    }
    void TearDown() override {
        if (vulpane.host) vulpane.host->Dispatch(effEditClose);
        if (display) XCloseDisplay(display);
    }

    Window NewParent() {
        const int screen = DefaultScreen(display);
        Window w = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 700, 500, 0,
                                       BlackPixel(display, screen), BlackPixel(display, screen));
        XMapWindow(display, w);
        XSync(display, False);
        return w;
    }
    intptr_t Open(Window in) {
        // Ardour's order: the display in value, the parent in ptr, the rectangle asked for later.
        const intptr_t opened = vulpane.host->Dispatch(effEditOpen, 0, reinterpret_cast<intptr_t>(display),
                                                       reinterpret_cast<void*>(static_cast<uintptr_t>(in)));
        ERect* rect = nullptr;
        vulpane.host->Dispatch(effEditGetRect, 0, 0, &rect);
        return opened;
    }
    std::vector<Window> Children(Window of) {
        XSync(display, False);
        Window root = 0, up = 0, *list = nullptr;
        unsigned n = 0;
        std::vector<Window> children;
        if (XQueryTree(display, of, &root, &up, &list, &n)) children.assign(list, list + n);
        if (list) XFree(list);
        return children;
    }
    Window Editor() {
        return static_cast<Window>(reinterpret_cast<uintptr_t>(vulpane.graphics->WindowHandle()));
    }
    // Host idle calls, a little apart so the server answers in between.
    void Idle(int calls = 4) {
        for (int i = 0; i < calls; ++i) {
            XSync(display, False);
            vulpane.host->Dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void Send(Window to, XEvent event, long mask) {
        event.xany.window = to;
        event.xany.display = display;
        XSendEvent(display, to, False, mask, &event);
        XFlush(display);
    }
    void Button(Window to, int type, unsigned button, int x, int y, unsigned state, Time time) {
        XEvent e{};
        e.type = type;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.button = button;
        e.xbutton.state = state;
        e.xbutton.time = time;
        e.xbutton.same_screen = True;
        Send(to, e, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask);
    }
    void Motion(Window to, int x, int y, unsigned state) {
        XEvent e{};
        e.type = MotionNotify;
        e.xmotion.x = x;
        e.xmotion.y = y;
        e.xmotion.state = state;
        e.xmotion.same_screen = True;
        Send(to, e, PointerMotionMask);
    }
    void Click(Window to, int x, int y, Time time) {
        Button(to, ButtonPress, Button1, x, y, 0, time);
        Button(to, ButtonRelease, Button1, x, y, Button1Mask, time + 50);
    }

    InProcessVulpane vulpane;
    Display* display = nullptr;
    Window parent = 0;
};

TEST_F(X11Window, OpensAChildOfTheHostWindowAtTheOriginWithTheEditorSize) {
    ASSERT_EQ(Open(parent), 1);
    const std::vector<Window> children = Children(parent);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], Editor());
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(display, children[0], &a));
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, 630);
    EXPECT_EQ(a.height, 440);
    EXPECT_EQ(a.map_state, IsViewable);
}

TEST_F(X11Window, IdleCallsPaintTheDrawBitmapIntoTheWindow) {
    ASSERT_EQ(Open(parent), 1);
    Idle();
    XImage* shot = XGetImage(display, Editor(), 0, 0, 630, 440, AllPlanes, ZPixmap);
    ASSERT_NE(shot, nullptr);
    const uint32_t* drawn = vulpane.graphics->PixelBuffer();
    const int kRowPixels = (630 + 3) & ~3; // the draw bitmap pads rows to 4 pixels
    int differing = 0, lit = 0;
    for (int y = 0; y < 440; ++y) {
        for (int x = 0; x < 630; ++x) {
            const unsigned long onScreen = XGetPixel(shot, x, y) & 0xFFFFFFul;
            differing += onScreen != (drawn[y * kRowPixels + x] & 0xFFFFFFu);
            lit += onScreen != 0;
        }
    }
    XDestroyImage(shot);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 630 * 440 / 2); // the background, not a black window
}

TEST_F(X11Window, ButtonsAndMotionReachTheControls) {
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    const Window editor = Editor();
    // Drag the gain knob up by half its height: +0.5 / 4.
    Button(editor, ButtonPress, Button1, kGainKnobX, kGainKnobY, 0, 1000);
    Motion(editor, kGainKnobX, kGainKnobY - 25, Button1Mask);
    Button(editor, ButtonRelease, Button1, kGainKnobX, kGainKnobY - 25, Button1Mask, 1100);
    Idle(2);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.625);
    // Two quick presses are a double click: the knob returns to its default.
    Click(editor, kGainKnobX, kGainKnobY, 5000);
    Click(editor, kGainKnobX, kGainKnobY, 5200);
    Idle(2);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.5);
    // The wheel (button 4 up) moves it by a hundredth per notch.
    Button(editor, ButtonPress, Button4, kGainKnobX, kGainKnobY, 0, 9000);
    Button(editor, ButtonRelease, Button4, kGainKnobX, kGainKnobY, Button4Mask, 9010);
    Idle(2);
    EXPECT_NEAR(vulpane.Value(kModelGain), 0.51, 1e-9);
    // A click on the step button selects the next model.
    Click(editor, kNextModelX, kNextModelY, 20000);
    Idle(2);
    EXPECT_EQ(vulpane.Value(kAmpModel), 1.0);
}

TEST_F(X11Window, ClosesReopensAndSurvivesTheHostsOrderOfCalls) {
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Open(parent), 1) << round;
        Idle(2);
        EXPECT_EQ(Children(parent).size(), 1u);
        vulpane.host->Dispatch(effEditClose);
        EXPECT_TRUE(Children(parent).empty());
        EXPECT_EQ(vulpane.graphics->WindowHandle(), nullptr);
        vulpane.host->Dispatch(effEditIdle); // idle after close does nothing
    }
    // Opened twice without a close: still one window, at the old one's place.
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    XMoveWindow(display, Editor(), 10, 20);
    XSync(display, False);
    ASSERT_EQ(Open(parent), 1);
    const std::vector<Window> children = Children(parent);
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    XGetWindowAttributes(display, children[0], &a);
    EXPECT_EQ(a.x, 10);
    EXPECT_EQ(a.y, 20);
    EXPECT_EQ(a.width, 630);
}

TEST_F(X11Window, AHostThatDestroysItsWindowFirstDoesNotDie) {
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    XDestroyWindow(display, parent);
    XSync(display, False);
    vulpane.host->Dispatch(effEditIdle);
    vulpane.graphics->MarkAllDirty();
    vulpane.host->Dispatch(effEditIdle);
    vulpane.host->Dispatch(effEditClose);
    // A fresh parent works again.
    parent = NewParent();
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    EXPECT_EQ(Children(parent).size(), 1u);
}

TEST_F(X11Window, OpeningFailsCleanlyWithoutAWindowOrADisplay) {
    EXPECT_EQ(Open(0), 0);
    EXPECT_EQ(Open(0x7ffffff0), 0); // no such window: the X error is not fatal
    const std::string saved = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4711", 1);
    EXPECT_EQ(Open(parent), 0);
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(Open(parent), 1);
}

TEST_F(X11Window, OpensRightAfterLoadingBeforeTheEffectIsStarted) {
    // LMMS opens the editor before effOpen and before a sample rate is set.
    std::string error;
    std::unique_ptr<HostedPlugin> fresh = HostedPlugin::FromEntry(&VulpaneInProcess, error);
    ASSERT_TRUE(fresh) << error;
    ASSERT_EQ(fresh->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))), 1);
    for (int i = 0; i < 3; ++i)
        fresh->Dispatch(effEditIdle);
    EXPECT_EQ(Children(parent).size(), 1u);
    fresh.reset(); // effClose with the editor still open closes it
    EXPECT_TRUE(Children(parent).empty());
}

TEST(X11Input, KeysMapToTheEditorsCodes) {
    EXPECT_EQ(EditorKeyCode(XK_space), 0);
    EXPECT_EQ(EditorKeyCode(XK_Up), 1);
    EXPECT_EQ(EditorKeyCode(XK_Right), 4);
    EXPECT_EQ(EditorKeyCode(XK_0), 5);
    EXPECT_EQ(EditorKeyCode(XK_9), 14);
    EXPECT_EQ(EditorKeyCode(XK_a), 15);
    EXPECT_EQ(EditorKeyCode(XK_Z), 40);
    EXPECT_EQ(EditorKeyCode(XK_Return), -1);
    EXPECT_EQ(EditorKeyCode(XK_F1), -1);
}

TEST(X11Input, DoubleClicksNeedTheSameButtonSoonAndClose) {
    IClickTimer t;
    EXPECT_FALSE(t.Press(1, 1000, 10, 10));
    EXPECT_TRUE(t.Press(1, 1300, 12, 11));
    EXPECT_FALSE(t.Press(1, 1400, 12, 11)); // a third press starts again
    EXPECT_FALSE(t.Press(1, 2000, 10, 10));
    EXPECT_FALSE(t.Press(1, 2401, 10, 10)); // too late
    EXPECT_FALSE(t.Press(3, 2500, 10, 10)); // another button
    EXPECT_FALSE(t.Press(1, 2600, 10, 10));
    EXPECT_FALSE(t.Press(1, 2700, 20, 10));         // too far
    EXPECT_FALSE(t.Press(1, 0x0000000Aul, 20, 10)); // the clock went back: not a double click
    IClickTimer wrap;
    EXPECT_FALSE(wrap.Press(1, 0xFFFFFF00ul, 0, 0));
    EXPECT_TRUE(wrap.Press(1, 0x00000010ul, 0, 0)); // 272 ms later across the wrap
}
// A desktop without dialog programs: PATH holds none, the user's folders are a temporary one.
class X11WindowWithoutDialogs : public X11Window {
protected:
    void SetUp() override {
        X11Window::SetUp();
        if (IsSkipped()) return;
        namespace fs = std::filesystem;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = fs::temp_directory_path() / ("vulpane-x11-" + std::to_string(stamp));
        fs::create_directories(root / "bin");
        fs::create_directories(root / "Impulses" / "Rooms");
        const std::vector<uint8_t> wav = wavtest::MakeWav16({12000, -3000, 800, 0, 0, 0, 0, 0});
        std::ofstream(root / "Impulses" / "Rooms" / "hall.wav", std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
        for (const char* name : {"PATH", "HOME", "XDG_DATA_HOME"})
            saved.emplace_back(name, std::getenv(name) ? std::getenv(name) : "");
        setenv("PATH", (root / "bin").c_str(), 1);
        setenv("HOME", (root / "Impulses").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            setenv(name.c_str(), value.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
        X11Window::TearDown();
    }
    void Key(Window to, KeySym keysym) {
        XEvent e{};
        e.type = KeyPress;
        e.xkey.keycode = XKeysymToKeycode(display, keysym);
        e.xkey.same_screen = True;
        Send(to, e, KeyPressMask);
    }
    ITextFieldControl* Field() { return dynamic_cast<ITextFieldControl*>(vulpane.graphics->TextField()); }

    std::filesystem::path root;
    std::vector<std::pair<std::string, std::string>> saved;
};

TEST_F(X11WindowWithoutDialogs, KeysTypedIntoTheSaveFieldSaveThePreset) {
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    const Window editor = Editor();
    Click(editor, 416, 18, 1000); // SAVE
    Idle(2);
    ASSERT_TRUE(Field() && Field()->IsOpen());
    for (int i = 0; i < 12; ++i)
        Key(editor, XK_BackSpace);
    for (KeySym k : {XK_r, XK_i, XK_f, XK_f})
        Key(editor, k);
    Idle(2);
    EXPECT_EQ(Field()->Text(), "riff");
    Key(editor, XK_Return);
    Idle(2);
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_TRUE(std::filesystem::exists(root / "data" / "Vulpane" / "Presets" / "My Sounds" / "riff.vzp"))
        << vulpane.plugin->Saver().SaveError();

    // Typing a value: a right click asks in the same field.
    Button(editor, ButtonPress, Button3, kGainKnobX, kGainKnobY, 0, 5000);
    Button(editor, ButtonRelease, Button3, kGainKnobX, kGainKnobY, Button3Mask, 5050);
    Idle(2);
    ASSERT_TRUE(Field()->IsOpen());
    for (int i = 0; i < 12; ++i)
        Key(editor, XK_BackSpace);
    for (KeySym k : {XK_2, XK_period, XK_5, XK_Return})
        Key(editor, k); // gain shows 0..10
    Idle(2);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.25);
}

TEST_F(X11WindowWithoutDialogs, WithoutKeysTheDesktopsTextQuestionAsks) {
    // A stand-in zenity answering "asked" for a host that keeps the keys.
    const std::string zenity = (root / "bin" / "zenity").string();
    std::ofstream(zenity) << "#!/bin/sh\nprintf 'asked\\n'\n";
    std::filesystem::permissions(zenity, std::filesystem::perms::owner_all);
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    Click(Editor(), 416, 18, 1000);
    Idle(2);
    ASSERT_TRUE(Field()->IsOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(X11EditorWindow::kTextKeyWaitMs + 200));
    Idle(2);
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_TRUE(std::filesystem::exists(root / "data" / "Vulpane" / "Presets" / "My Sounds" / "asked.vzp"));
}

TEST_F(X11WindowWithoutDialogs, TheFileButtonOpensTheEditorsOwnImpulseList) {
    ASSERT_EQ(Open(parent), 1);
    Idle(1);
    const Window editor = Editor();
    auto* browser =
        dynamic_cast<ImpulseBrowser*>(vulpane.graphics->ControlAt(vulpane.plugin->Controls().impulseBrowser));
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(browser->IsOpen());
    Click(editor, 100, 330, 1000); // the file button
    Idle(2);
    ASSERT_TRUE(browser->IsOpen());
    EXPECT_EQ(browser->Folder(), (root / "Impulses").string() + "/"); // the home folder at first
    ASSERT_EQ(browser->Entries().size(), 2u);
    EXPECT_EQ(browser->Entries()[1].name, "Rooms/");
    const IRect row1 = browser->RowRect(1);
    Click(editor, row1.left + 10, row1.top + 5, 3000); // into Rooms
    Idle(2);
    ASSERT_EQ(browser->Entries().size(), 2u);
    EXPECT_EQ(browser->Entries()[1].name, "hall.wav");
    Click(editor, row1.left + 10, row1.top + 5, 6000); // the WAV loads
    Idle(2);
    EXPECT_FALSE(browser->IsOpen());
    vulpane.plugin->WaitForImpulseLoads();
    EXPECT_EQ(vulpane.plugin->ImpulsePath(), (root / "Impulses" / "Rooms" / "hall.wav").string());
    EXPECT_EQ(vulpane.plugin->ImpulseError(), "");
    // The next list starts in the folder chosen from, remembered beside the user's presets.
    Click(editor, 100, 330, 9000);
    Idle(2);
    EXPECT_EQ(browser->Folder(), (root / "Impulses" / "Rooms").string() + "/");
    std::ifstream settings(root / "data" / "Vulpane" / "settings.txt");
    std::string line;
    std::getline(settings, line);
    EXPECT_EQ(line, "impulse-folder=" + (root / "Impulses" / "Rooms").string() + "/");
}

TEST(X11Input, TextKeysAreEditingKeysOrCharacters) {
    ITextKey key;
    uint32_t c = 0;
    ASSERT_TRUE(TextKeyOf(XK_Return, key, c));
    EXPECT_EQ(key, ITextKey::kEnter);
    ASSERT_TRUE(TextKeyOf(XK_Escape, key, c));
    EXPECT_EQ(key, ITextKey::kEscape);
    ASSERT_TRUE(TextKeyOf(XK_BackSpace, key, c));
    EXPECT_EQ(key, ITextKey::kBackspace);
    ASSERT_TRUE(TextKeyOf(XK_A, key, c));
    EXPECT_EQ(key, ITextKey::kCharacter);
    EXPECT_EQ(c, 'A');
    ASSERT_TRUE(TextKeyOf(XK_udiaeresis, key, c));
    EXPECT_EQ(c, 0xFCu);
    ASSERT_TRUE(TextKeyOf(0x010020ACul, key, c)); // the euro sign's Unicode keysym
    EXPECT_EQ(c, 0x20ACu);
    EXPECT_FALSE(TextKeyOf(XK_Shift_L, key, c));
}

} // namespace
#endif

// The editor in a real Win32 child window of a host window, under wine in CI: effEditOpen with
// the parent HWND, the message loop running the redraw timer, mouse messages, the popups.
#ifdef _WIN32
#include "IControl.h"
#include "Win32EditorWindow.h"
#include "WindowFixture.h"

#include <cstdint>

namespace {
const char kHostClass[] = "VulpaneTestHost";

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &HostProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kHostClass;
        RegisterClassA(&windowClass);
        parent = NewParent();
        if (!parent) GTEST_SKIP() << "no window could be created (no display for wine?)";
        ASSERT_TRUE(vulpane.host);
    }
    void TearDown() override {
        if (vulpane.host) vulpane.host->Dispatch(effEditClose);
        if (parent && IsWindow(parent)) DestroyWindow(parent);
    }
    static HWND NewParent() {
        HWND w = CreateWindowExA(0, kHostClass, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        return w;
    }
    intptr_t Open(HWND in) { return vulpane.host->Dispatch(effEditOpen, 0, 0, in); }
    HWND Editor() { return static_cast<HWND>(vulpane.graphics->WindowHandle()); }
    HWND Popup() { return Editor() ? GetDlgItem(Editor(), 99) : nullptr; }
    // Runs the message loop for a while: the 41 ms timer ticks a few times.
    static void Pump(int milliseconds = 200) {
        const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
        while (static_cast<int>(until - GetTickCount()) > 0) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(5);
        }
    }
    void Mouse(UINT message, WPARAM keys, int x, int y) {
        SendMessageA(Editor(), message, keys, MAKELPARAM(x, y));
    }
    IControl* ControlOf(int param) {
        for (int i = vulpane.graphics->ControlCount() - 1; i >= 0; --i) {
            IControl* c = vulpane.graphics->ControlAt(i);
            if (c->ParamIdx() == param && !c->IsHidden()) return c;
        }
        return nullptr;
    }
    static bool ClassRegistered() {
        WNDCLASSA info;
        return GetClassInfoA(Win32EditorWindow::ModuleInstance(), "VulpaneWndClass", &info) != 0;
    }

    InProcessVulpane vulpane;
    HWND parent = nullptr;
};

TEST_F(Win32Window, OpensAChildWindowThatTheTimerPaints) {
    ASSERT_EQ(Open(parent), 1);
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetParent(editor), parent);
    char name[64] = {};
    GetClassNameA(editor, name, sizeof(name));
    EXPECT_STREQ(name, "VulpaneWndClass");
    RECT r;
    GetClientRect(editor, &r);
    EXPECT_EQ(r.right, 630);
    EXPECT_EQ(r.bottom, 440);
    ASSERT_GT(vulpane.graphics->ControlCount(), 1);
    EXPECT_TRUE(vulpane.graphics->ControlAt(1)->NeedsRedraw()); // opening marks everything dirty
    Pump();
    // The ticks found the dirty controls and the paint drew and cleaned them, background first.
    int stillDirty = 0;
    for (int i = 0; i < vulpane.graphics->ControlCount(); ++i)
        stillDirty += vulpane.graphics->ControlAt(i)->NeedsRedraw();
    EXPECT_FALSE(vulpane.graphics->ControlAt(0)->NeedsRedraw());
    EXPECT_LT(stillDirty, vulpane.graphics->ControlCount() / 10);
    int lit = 0;
    const uint32_t* pixels = vulpane.graphics->PixelBuffer();
    for (int i = 0; i < 632 * 440; i += 97)
        lit += (pixels[i] & 0xFFFFFFu) != 0;
    EXPECT_GT(lit, 632 * 440 / 97 / 2);
    // What the window shows is the draw bitmap.
    HDC screen = GetDC(editor);
    int differing = 0;
    for (int y = 5; y < 440; y += 43)
        for (int x = 7; x < 630; x += 61) {
            const uint32_t p = pixels[y * 632 + x];
            differing += GetPixel(screen, x, y) != RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
    ReleaseDC(editor, screen);
    EXPECT_EQ(differing, 0);
}

TEST_F(Win32Window, MouseMessagesReachTheControls) {
    ASSERT_EQ(Open(parent), 1);
    Pump(100);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kGainKnobX, kGainKnobY);
    EXPECT_EQ(GetCapture(), Editor());
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, kGainKnobX, kGainKnobY - 25); // half the knob's height
    Mouse(WM_LBUTTONUP, 0, kGainKnobX, kGainKnobY - 25);
    EXPECT_NE(GetCapture(), Editor());
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.625);
    Mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, kGainKnobX, kGainKnobY);
    Mouse(WM_LBUTTONUP, 0, kGainKnobX, kGainKnobY);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.5);
    // The wheel message carries screen coordinates.
    POINT at{kGainKnobX, kGainKnobY};
    ClientToScreen(Editor(), &at);
    SendMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(at.x, at.y));
    EXPECT_NEAR(vulpane.Value(kModelGain), 0.51, 1e-9);
    SendMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, 100), MAKELPARAM(at.x, at.y)); // under a notch
    EXPECT_NEAR(vulpane.Value(kModelGain), 0.51, 1e-9);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kNextModelX, kNextModelY);
    Mouse(WM_LBUTTONUP, 0, kNextModelX, kNextModelY);
    EXPECT_EQ(vulpane.Value(kAmpModel), 1.0);
    Pump(100);
}

TEST_F(Win32Window, TheNumberPopupCommitsOnReturnAndCancelsOnRightClick) {
    ASSERT_EQ(Open(parent), 1);
    IControl* gain = ControlOf(kModelGain);
    ASSERT_NE(gain, nullptr);
    vulpane.graphics->AskParameterValue(gain, gain->BoundParameter());
    HWND popup = Popup();
    ASSERT_NE(popup, nullptr);
    char name[16] = {};
    GetClassNameA(popup, name, sizeof(name));
    EXPECT_STRCASEEQ(name, "Edit");
    vulpane.graphics->AskParameterValue(gain, gain->BoundParameter()); // one popup at a time
    SetWindowTextA(popup, "0.25");
    SendMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    Pump(150);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.25);

    vulpane.graphics->AskParameterValue(gain, gain->BoundParameter());
    ASSERT_NE(Popup(), nullptr);
    SetWindowTextA(Popup(), "0.75");
    Mouse(WM_RBUTTONDOWN, MK_RBUTTON, kNextModelX, kNextModelY); // cancels, reaches no control
    Mouse(WM_RBUTTONUP, 0, kNextModelX, kNextModelY);
    Pump(150);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_DOUBLE_EQ(vulpane.Value(kModelGain), 0.25);
    EXPECT_EQ(vulpane.Value(kAmpModel), 0.0);
}

TEST_F(Win32Window, TheListPopupIsAComboBoxThatCommitsTheChosenEntry) {
    ASSERT_EQ(Open(parent), 1);
    IControl* cabinet = ControlOf(kCabPreset);
    ASSERT_NE(cabinet, nullptr);
    IParameter* param = cabinet->BoundParameter();
    ASSERT_GT(param->DisplayTextCount(), 0);
    vulpane.graphics->AskParameterValue(cabinet, param);
    HWND popup = Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(SendMessageA(popup, CB_GETCOUNT, 0, 0), param->DisplayTextCount());
    SendMessageA(popup, CB_SETCURSEL, 3, 0);
    SendMessageA(Editor(), WM_COMMAND, MAKEWPARAM(99, CBN_SELCHANGE), reinterpret_cast<LPARAM>(popup));
    Pump(150);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(vulpane.Value(kCabPreset), 3.0);
}

TEST_F(Win32Window, ReopensAtTheOldPlaceAndBalancesTheWindowClass) {
    ASSERT_EQ(Open(parent), 1);
    SetWindowPos(Editor(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND first = Editor();
    ASSERT_EQ(Open(parent), 1); // again without a close
    EXPECT_FALSE(IsWindow(first));
    RECT r;
    GetWindowRect(Editor(), &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(parent, &topLeft);
    EXPECT_EQ(topLeft.x, 10);
    EXPECT_EQ(topLeft.y, 20);
    EXPECT_EQ(r.right - r.left, 630);
    Pump(60);
    vulpane.host->Dispatch(effEditClose);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_FALSE(ClassRegistered());
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Open(parent), 1);
        EXPECT_TRUE(ClassRegistered());
        Pump(50);
        vulpane.host->Dispatch(effEditClose);
    }
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(Win32Window, AHostThatDestroysItsWindowFirstOrGivesNoneIsSurvived) {
    EXPECT_EQ(Open(nullptr), 0);
    EXPECT_EQ(Open(reinterpret_cast<HWND>(static_cast<intptr_t>(0x7ff0))), 0);
    EXPECT_FALSE(ClassRegistered());
    ASSERT_EQ(Open(parent), 1);
    Pump(60);
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(Editor(), nullptr);
    Pump(60);
    vulpane.host->Dispatch(effEditClose);
    parent = NewParent();
    ASSERT_EQ(Open(parent), 1);
    Pump(60);
}

TEST_F(Win32Window, OpensRightAfterLoadingBeforeTheEffectIsStarted) {
    // LMMS opens the editor before effOpen and before a sample rate is set.
    std::string error;
    std::unique_ptr<HostedPlugin> fresh = HostedPlugin::FromEntry(&VulpaneInProcess, error);
    ASSERT_TRUE(fresh) << error;
    ASSERT_EQ(fresh->Dispatch(effEditOpen, 0, 0, parent), 1);
    HWND editor = GetWindow(parent, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    Pump(100);
    fresh.reset(); // effClose with the editor still open closes it
    EXPECT_FALSE(IsWindow(editor));
}

TEST(Win32EditorWindowRules, TimerPeriodAndKeys) {
    EXPECT_EQ(Win32EditorWindow::TimerPeriod(24), 41u);
    EXPECT_EQ(Win32EditorWindow::TimerPeriod(0), 41u);
    EXPECT_EQ(Win32EditorWindow::TimerPeriod(-5), 41u);
    EXPECT_EQ(Win32EditorWindow::TimerPeriod(30), 33u);
    EXPECT_EQ(Win32EditorWindow::EditorKeyCode(VK_SPACE), 0);
    EXPECT_EQ(Win32EditorWindow::EditorKeyCode(VK_RIGHT), 4);
    EXPECT_EQ(Win32EditorWindow::EditorKeyCode('0'), 5);
    EXPECT_EQ(Win32EditorWindow::EditorKeyCode('Z'), 40);
    EXPECT_EQ(Win32EditorWindow::EditorKeyCode(VK_RETURN), -1);
    EXPECT_NE(Win32EditorWindow::ModuleInstance(), nullptr);
}
} // namespace
#endif

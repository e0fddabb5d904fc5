// The built plug-in binary, loaded as a host loads it, opens its editor window in a host window.
#include "DynamicLibrary.h"
#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <thread>
#endif

namespace {
std::unique_ptr<HostedPlugin> LoadBinary() {
#if defined(_WIN64)
    const std::string path = ExecutableFolder() + "Vulpane64.dll";
#elif defined(_WIN32)
    const std::string path = ExecutableFolder() + "Vulpane.dll";
#else
    const std::string path = ExecutableFolder() + "Vulpane.so";
#endif
    std::string error;
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::Load(path, error);
    EXPECT_TRUE(plugin) << error;
    if (plugin) plugin->Start(44100.0, 512);
    return plugin;
}

#ifdef _WIN32
TEST(BuiltPluginWindow, OpensPaintsAndClosesInAHostWindow) {
    HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!parent) GTEST_SKIP() << "no window could be created (no display for wine?)";
    std::unique_ptr<HostedPlugin> plugin = LoadBinary();
    ASSERT_TRUE(plugin);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(plugin->Dispatch(effEditOpen, 0, 0, parent), 1);
        HWND editor = GetWindow(parent, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        const DWORD until = GetTickCount() + 150;
        while (static_cast<int>(until - GetTickCount()) > 0) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            Sleep(5);
        }
        // Opening and drawing the editor moves no parameter the host hears of.
        EXPECT_TRUE(plugin->recorded.automation.empty());
        EXPECT_TRUE(plugin->recorded.beginEdits.empty());
        HDC screen = GetDC(editor);
        EXPECT_NE(GetPixel(screen, 315, 220) & 0xFFFFFF, 0u); // the background is drawn
        ReleaseDC(editor, screen);
        plugin->Dispatch(effEditClose);
        EXPECT_FALSE(IsWindow(editor));
    }
    plugin.reset();
    DestroyWindow(parent);
}
#else
TEST(BuiltPluginWindow, OpensPaintsAndClosesInAHostWindow) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    Display* display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "cannot open X display " << name;
    const int screen = DefaultScreen(display);
    Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 700, 500, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    std::unique_ptr<HostedPlugin> plugin = LoadBinary();
    ASSERT_TRUE(plugin);
    for (int round = 0; round < 2; ++round) {
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(
            plugin->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))), 1);
        for (int i = 0; i < 4; ++i) {
            XSync(display, False);
            plugin->Dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Opening and drawing the editor moves no parameter the host hears of.
        EXPECT_TRUE(plugin->recorded.automation.empty());
        EXPECT_TRUE(plugin->recorded.beginEdits.empty());
        Window root = 0, up = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(display, parent, &root, &up, &children, &n);
        ASSERT_EQ(n, 1u);
        XImage* shot = XGetImage(display, children[0], 315, 220, 1, 1, AllPlanes, ZPixmap);
        XFree(children);
        ASSERT_NE(shot, nullptr);
        EXPECT_NE(XGetPixel(shot, 0, 0) & 0xFFFFFF, 0u); // the background is drawn
        XDestroyImage(shot);
        plugin->Dispatch(effEditClose);
    }
    plugin.reset();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}
#endif
} // namespace

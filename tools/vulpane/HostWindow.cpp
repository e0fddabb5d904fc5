#include "HostWindow.h"

#include "HostedPlugin.h"
#include "StatusText.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr int kStripHeight = 44;
constexpr int kMinWidth = 480;
constexpr int kMeterWidth = 160;
constexpr double kMeterFloorDb = -60.0;
constexpr float kMeterFall = 0.8f; // per status update (about 10 a second)
} // namespace

unsigned long HostWindow::Color(unsigned rgb) {
    XColor color{};
    color.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    color.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    color.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    color.flags = DoRed | DoGreen | DoBlue;
    if (!XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &color))
        return rgb > 0x808080 ? WhitePixel(display, DefaultScreen(display)) : BlackPixel(display, DefaultScreen(display));
    return color.pixel;
}

bool HostWindow::Open(std::string& error) {
    display = XOpenDisplay(nullptr);
    if (!display) {
        error = "cannot open the X display" + std::string(std::getenv("DISPLAY") ? "" : " (DISPLAY is not set)") +
                "; run with --no-gui to play without the window";
        return false;
    }
    ERect* rect = nullptr;
    if (!(plugin.Effect()->flags & effFlagsHasEditor) || plugin.Dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) {
        editorWidth = 0;
        editorHeight = 0;
    } else {
        editorWidth = std::max(rect->right - rect->left, 0);
        editorHeight = std::max(rect->bottom - rect->top, 0);
    }
    width = std::max(editorWidth, kMinWidth);
    const int height = editorHeight + kStripHeight;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = Color(0x202020);
    attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
    window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, window, "Vulpane");
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>("Vulpane"), 7);
    XClassHint* hint = XAllocClassHint();
    if (hint) {
        char name[] = "vulpane", klass[] = "Vulpane";
        hint->res_name = name;
        hint->res_class = klass;
        XSetClassHint(display, window, hint);
        XFree(hint);
    }
    XSizeHints* size = XAllocSizeHints();
    if (size) {
        size->flags = PMinSize | PMaxSize;
        size->min_width = size->max_width = width;
        size->min_height = size->max_height = height;
        XSetWMNormalHints(display, window, size);
        XFree(size);
    }
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    gc = XCreateGC(display, window, 0, nullptr);
    font = XLoadQueryFont(display, "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1");
    if (!font) font = XLoadQueryFont(display, "fixed");
    if (font) XSetFont(display, gc, font->fid);
    strip = XCreatePixmap(display, window, static_cast<unsigned>(width), kStripHeight,
                          static_cast<unsigned>(DefaultDepth(display, screen)));
    XMapWindow(display, window);
    // The editor opens its own connection to the server: the parent must exist there first.
    XSync(display, False);
    if (editorWidth > 0 && editorHeight > 0)
        editorOpen = plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(window))) != 0;
    DrawStrip();
    return true;
}

bool HostWindow::Pump(LiveEngine& engine) {
    if (!display) return false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
            closed = true;
        else if (event.type == DestroyNotify && event.xdestroywindow.window == window)
            closed = true;
        else if (event.type == Expose && event.xexpose.count == 0)
            DrawStrip();
        else if (event.type == ButtonPress && event.xbutton.y >= editorHeight) {
            engine.ResetClip(); // a click on the strip turns the clip lamp off
            shown.clipped = false;
            DrawStrip();
        }
    }
    return !closed;
}

void HostWindow::IdleEditor() {
    if (editorOpen) plugin.Dispatch(effEditIdle);
}

void HostWindow::ShowStatus(const LiveStatus& status) {
    shown = status;
    meterPeak = std::max(status.inputPeak, meterPeak * kMeterFall);
    DrawStrip();
}

void HostWindow::DrawStrip() {
    if (!display || !strip) return;
    const StatusFields fields = FormatStatus(shown);
    XSetForeground(display, gc, Color(0x202020));
    XFillRectangle(display, strip, gc, 0, 0, static_cast<unsigned>(width), kStripHeight);
    XSetForeground(display, gc, Color(0x505050));
    XDrawLine(display, strip, gc, 0, 0, width, 0);
    XSetForeground(display, gc, Color(0xE0E0E0));
    const std::string top = fields.format + "   " + fields.latency;
    const std::string bottom = fields.load + "   " + fields.xruns;
    XDrawString(display, strip, gc, 8, 17, top.c_str(), static_cast<int>(top.size()));
    XDrawString(display, strip, gc, 8, 35, bottom.c_str(), static_cast<int>(bottom.size()));

    // The input meter: -60..0 dBFS, green, yellow above -12, red above -3; the clip lamp right of it.
    const int lampSize = 14;
    const int meterX = width - kMeterWidth - lampSize - 20, meterY = 24, meterH = 12;
    XSetForeground(display, gc, Color(0xE0E0E0));
    const std::string label = "INPUT " + fields.input.substr(std::strlen("input "));
    XDrawString(display, strip, gc, meterX, 17, label.c_str(), static_cast<int>(label.size()));
    XSetForeground(display, gc, Color(0x000000));
    XFillRectangle(display, strip, gc, meterX, meterY, kMeterWidth, meterH);
    const double db = std::clamp(PeakDb(meterPeak), kMeterFloorDb, 0.0);
    const int lit = static_cast<int>((db - kMeterFloorDb) / -kMeterFloorDb * kMeterWidth);
    const struct {
        double fromDb;
        unsigned rgb;
    } zones[] = {{kMeterFloorDb, 0x30C040}, {-12.0, 0xE0C020}, {-3.0, 0xE03020}};
    for (size_t z = 0; z < 3; ++z) {
        const int from = static_cast<int>((zones[z].fromDb - kMeterFloorDb) / -kMeterFloorDb * kMeterWidth);
        const int to = z + 1 < 3 ? static_cast<int>((zones[z + 1].fromDb - kMeterFloorDb) / -kMeterFloorDb * kMeterWidth)
                                 : kMeterWidth;
        const int end = std::min(lit, to);
        if (end <= from) break;
        XSetForeground(display, gc, Color(zones[z].rgb));
        XFillRectangle(display, strip, gc, meterX + from, meterY, static_cast<unsigned>(end - from), meterH);
    }
    const int lampX = meterX + kMeterWidth + 10, lampY = meterY - 1;
    XSetForeground(display, gc, Color(shown.clipped ? 0xFF2020 : 0x401010));
    XFillArc(display, strip, gc, lampX, lampY, lampSize, lampSize, 0, 360 * 64);
    XSetForeground(display, gc, Color(0xE0E0E0));
    XDrawString(display, strip, gc, lampX - 6, 17, "CLIP", 4);
    XCopyArea(display, strip, window, gc, 0, 0, static_cast<unsigned>(width), kStripHeight, 0, editorHeight);
    XFlush(display);
}

void HostWindow::Close() {
    if (!display) return;
    if (editorOpen) plugin.Dispatch(effEditClose);
    editorOpen = false;
    if (font) XFreeFont(display, font);
    if (strip) XFreePixmap(display, strip);
    if (gc) XFreeGC(display, gc);
    if (window && !closed) XDestroyWindow(display, window);
    XCloseDisplay(display);
    display = nullptr;
    font = nullptr;
    strip = 0;
    gc = nullptr;
    window = 0;
}

#include "X11EditorWindow.h"

#include "EditorWindow.h"
#include "IPlatformGraphics.h"
#include "IRaster.h"
#include "ITextFieldControl.h"
#include "X11FileDialog.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <mutex>

std::unique_ptr<IEditorWindow> NewSystemEditorWindow() {
    return std::make_unique<X11EditorWindow>();
}

namespace {
// While alive, X errors on one display are counted instead of reaching the default handler,
// which would end the host's process; errors on other displays go to the handler that was
// there before. The destructor waits for the server so every error of the scope is seen.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : lock(mutex), display(d), outer(depth++ == 0) {
        if (!outer) return;
        trapped = d;
        errors = 0;
        previous = XSetErrorHandler(&ErrorTrap::Count);
    }
    ~ErrorTrap() {
        --depth;
        if (!outer) return;
        Sync();
        XSetErrorHandler(previous);
        trapped = nullptr;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Number of errors so far.
    int Sync() {
        XSync(display, False);
        return errors;
    }

private:
    static int Count(Display* d, XErrorEvent* event) {
        if (d == trapped) {
            ++errors;
            return 0;
        }
        return previous ? previous(d, event) : 0;
    }

    static std::recursive_mutex mutex;
    static int depth;
    static Display* trapped;
    static int errors;
    static int (*previous)(Display*, XErrorEvent*);
    std::lock_guard<std::recursive_mutex> lock;
    Display* display;
    bool outer;
};
std::recursive_mutex ErrorTrap::mutex;
int ErrorTrap::depth = 0;
Display* ErrorTrap::trapped = nullptr;
int ErrorTrap::errors = 0;
int (*ErrorTrap::previous)(Display*, XErrorEvent*) = nullptr;

IMouseKeys KeysOf(unsigned state) {
    IMouseKeys keys;
    keys.left = (state & Button1Mask) != 0;
    keys.right = (state & Button3Mask) != 0;
    keys.shift = (state & ShiftMask) != 0;
    keys.control = (state & ControlMask) != 0;
    keys.alt = (state & Mod1Mask) != 0;
    return keys;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | LeaveWindowMask | StructureNotifyMask;
} // namespace

X11EditorWindow::~X11EditorWindow() {
    Close();
}

void* X11EditorWindow::Handle() const {
    return window ? reinterpret_cast<void*>(static_cast<uintptr_t>(window)) : nullptr;
}

void* X11EditorWindow::Open(IPlatformGraphics* owner, void* parentWindow) {
    const Window parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentWindow));
    if (!owner || parent == 0) return nullptr;
    int x = 0, y = 0;
    unsigned width = static_cast<unsigned>(owner->Width()), height = static_cast<unsigned>(owner->Height());
    if (window && display) {
        // Opened again without a close: the new window takes the old one's place and size.
        ErrorTrap trap(display);
        Window root = 0;
        int oldX = 0, oldY = 0;
        unsigned oldW = 0, oldH = 0, border = 0, depth = 0;
        if (XGetGeometry(display, window, &root, &oldX, &oldY, &oldW, &oldH, &border, &depth) && oldW &&
            oldH) {
            x = oldX;
            y = oldY;
            width = oldW;
            height = oldH;
        }
    }
    Close();
    if (width == 0 || height == 0) return nullptr;

    display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    {
        ErrorTrap trap(display);
        const int screen = DefaultScreen(display);
        Visual* visual = DefaultVisual(display, screen);
        XSetWindowAttributes attributes{};
        attributes.colormap = DefaultColormap(display, screen);
        attributes.border_pixel = 0;
        attributes.event_mask = kEventMask;
        window = XCreateWindow(display, parent, x, y, width, height, 0, DefaultDepth(display, screen),
                               InputOutput, visual, CWColormap | CWBorderPixel | CWEventMask, &attributes);
        if (trap.Sync() != 0) window = 0;
        if (window) {
            gc = XCreateGC(display, window, 0, nullptr);
            XStoreName(display, window, "Vulpane");
            XMapWindow(display, window);
            if (trap.Sync() != 0) ReleaseWindow();
        }
        directImage = visual->c_class == TrueColor && DefaultDepth(display, screen) >= 24 &&
                      visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                      visual->blue_mask == 0xFF;
    }
    if (!window) {
        XCloseDisplay(display);
        display = nullptr;
        return nullptr;
    }
    graphics = owner;
    exposed = IRect();
    captured = trackingLeave = false;
    clicks = IClickTimer();
    return Handle();
}

void X11EditorWindow::ReleaseWindow() {
    if (gc) XFreeGC(display, gc);
    if (window) XDestroyWindow(display, window);
    gc = nullptr;
    window = 0;
}

void X11EditorWindow::Close() {
    if (!display) return;
    {
        ErrorTrap trap(display);
        ReleaseWindow();
    }
    XCloseDisplay(display);
    display = nullptr;
    graphics = nullptr;
    captured = trackingLeave = false;
}

void X11EditorWindow::Present(IRaster* bitmap, const IRect& rect) {
    if (!display || !window || !gc || !bitmap || !bitmap->Pixels()) return;
    const IRect area = rect.Intersect(IRect(0, 0, bitmap->Width(), bitmap->Height()));
    if (area.Empty() || area.W() <= 0 || area.H() <= 0) return;
    PutPixels(bitmap, area);
}

void X11EditorWindow::PutPixels(IRaster* bitmap, const IRect& area) {
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (directImage && !bitmap->BottomUp()) {
        // Our pixels are 0xAARRGGBB words, which is what a 24-bit true-colour visual takes.
        XImage image{};
        image.width = bitmap->Width();
        image.height = bitmap->Height();
        image.format = ZPixmap;
        image.data = reinterpret_cast<char*>(bitmap->Pixels());
        image.byte_order = LSBFirst;
        image.bitmap_unit = 32;
        image.bitmap_bit_order = LSBFirst;
        image.bitmap_pad = 32;
        image.depth = depth;
        image.bytes_per_line = bitmap->RowPixels() * 4;
        image.bits_per_pixel = 32;
        image.red_mask = visual->red_mask;
        image.green_mask = visual->green_mask;
        image.blue_mask = visual->blue_mask;
        const uint32_t probe = 1;
        if (*reinterpret_cast<const unsigned char*>(&probe) == 0) image.byte_order = MSBFirst;
        if (XInitImage(&image)) {
            XPutImage(display, window, gc, &image, area.left, area.top, area.left, area.top,
                      static_cast<unsigned>(area.W()), static_cast<unsigned>(area.H()));
            return;
        }
    }
    // Any other visual: convert pixel by pixel into an image of the server's own format.
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(area.W()), static_cast<unsigned>(area.H()), 32, 0);
    if (!image) return;
    image->data = static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * area.H()));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    auto place = [](uint32_t channel, unsigned long mask) -> unsigned long {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        int bits = 0;
        while ((mask >> (shift + bits)) & 1)
            ++bits;
        return ((channel >> (8 - (bits < 8 ? bits : 8))) << shift) & mask;
    };
    for (int y = 0; y < area.H(); ++y) {
        const uint32_t* row = bitmap->Row(area.top + y) + area.left;
        for (int x = 0; x < area.W(); ++x) {
            const uint32_t p = row[x];
            XPutPixel(image, x, y,
                      place((p >> 16) & 0xFF, visual->red_mask) | place((p >> 8) & 0xFF, visual->green_mask) |
                          place(p & 0xFF, visual->blue_mask));
        }
    }
    XPutImage(display, window, gc, image, 0, 0, area.left, area.top, static_cast<unsigned>(area.W()),
              static_cast<unsigned>(area.H()));
    XDestroyImage(image);
}

void X11EditorWindow::Resized(int, int, int newWidth, int newHeight) {
    if (!display || !window || newWidth <= 0 || newHeight <= 0) return;
    ErrorTrap trap(display);
    XResizeWindow(display, window, static_cast<unsigned>(newWidth), static_cast<unsigned>(newHeight));
    exposed = IRect(0, 0, newWidth, newHeight);
}

void X11EditorWindow::AskForFile(std::string& outFileName, int action, const char* folder, const char*) {
    outFileName.clear();
    if (!window) return;
    outFileName = RunFileChooser(action, folder);
}

bool X11EditorWindow::HasFileDialog() const {
    return window && FileChooserInstalled();
}

void X11EditorWindow::AskParameterValue(IControl* control, IParameter* param) {
    if (graphics) AskValueInTextField(graphics, control, param);
}

void X11EditorWindow::OpenTextEditor(ITextControl* control) {
    textEntry = control;
    textEntryOpened = NowMs();
    if (display && window) {
        ErrorTrap trap(display);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
}

void X11EditorWindow::AskTextIfNoKeys() {
    auto* field = dynamic_cast<ITextFieldControl*>(textEntry);
    if (!field || !graphics || graphics->KeyFocus() != field || !field->IsOpen() || field->KeySeen()) {
        textEntry = nullptr;
        return;
    }
    if (NowMs() - textEntryOpened < kTextKeyWaitMs) return;
    textEntry = nullptr; // asked once; a field left open still takes keys that come later
    std::string text;
    bool answered = false;
    if (!RunTextPrompt(field->Prompt().c_str(), field->Text(), text, answered)) return;
    if (answered)
        field->CommitText(text);
    else
        field->CancelEntry();
}

void X11EditorWindow::ShowMessage(const char* text, const char* caption) {
    lastMessage = std::string(caption ? caption : "") + ": " + (text ? text : "");
    ShowDesktopMessage(caption, text);
}

void X11EditorWindow::HostFolder(std::string& out) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    out = n > 0 ? FolderOf(std::string(path, static_cast<size_t>(n))) : std::string();
}

void X11EditorWindow::ModuleFolder(std::string& out) {
    Dl_info info{};
    static const int anchor = 0;
    out = dladdr(&anchor, &info) && info.dli_fname ? FolderOf(info.dli_fname) : std::string();
}

void X11EditorWindow::Idle() {
    // A host may call idle again from inside a callback that an event led to.
    if (!display || !window || !graphics || inIdle) return;
    inIdle = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inIdle};
    ErrorTrap trap(display);
    while (window && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        OnEvent(event);
    }
    if (!window) return;
    if (textEntry) AskTextIfNoKeys();
    IRect dirty;
    if (graphics->NeedsRedraw(dirty)) graphics->Draw(dirty);
    if (!exposed.Empty()) {
        graphics->PresentRect(exposed);
        exposed = IRect();
    }
    XFlush(display);
}

void X11EditorWindow::OnEvent(XEvent& event) {
    if (event.xany.window != window) return;
    switch (event.type) {
    case Expose:
        exposed = exposed.Union(IRect(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                      event.xexpose.y + event.xexpose.height));
        break;
    case ButtonPress: {
        const XButtonEvent& b = event.xbutton;
        IMouseKeys keys = KeysOf(b.state);
        if (b.button == Button4 || b.button == Button5) {
            graphics->OnMouseWheel(b.x, b.y, keys, b.button == Button4 ? 1 : -1);
            break;
        }
        if (b.button != Button1 && b.button != Button3) break; // the middle button does nothing
        (b.button == Button1 ? keys.left : keys.right) = true;
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        if (clicks.Press(b.button, b.time, b.x, b.y) && b.button == Button1) {
            captured = graphics->OnMouseDblClick(b.x, b.y, keys);
        } else {
            // The server grabs the pointer for us while a button is held: that is the capture.
            captured = true;
            graphics->OnMouseDown(b.x, b.y, keys);
        }
        break;
    }
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        if (b.button != Button1 && b.button != Button3) break;
        IMouseKeys keys = KeysOf(b.state);
        (b.button == Button1 ? keys.left : keys.right) = false;
        captured = false;
        graphics->OnMouseUp(b.x, b.y, keys);
        break;
    }
    case MotionNotify: {
        // Only the latest position of a burst matters.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &event)) {
        }
        const XMotionEvent& m = event.xmotion;
        const IMouseKeys keys = KeysOf(m.state);
        if (keys.left || keys.right) {
            if (captured) graphics->OnMouseDrag(m.x, m.y, keys);
        } else if (graphics->OnMouseOver(m.x, m.y, keys)) {
            trackingLeave = true;
        }
        break;
    }
    case LeaveNotify:
        if (trackingLeave && event.xcrossing.mode == NotifyNormal) {
            trackingLeave = false;
            graphics->OnMouseOut();
        }
        break;
    case KeyPress: {
        ITextKey key;
        uint32_t character = 0;
        if (graphics->KeyFocus()) {
            KeySym keysym = 0;
            char typed[8];
            XLookupString(&event.xkey, typed, sizeof(typed), &keysym, nullptr);
            if (TextKeyOf(keysym, key, character)) graphics->OnTextKey(key, character);
            break;
        }
        const int code = EditorKeyCode(XLookupKeysym(&event.xkey, 0));
        if (code >= 0) graphics->OnKeyDown(event.xkey.x, event.xkey.y, code);
        break;
    }
    case DestroyNotify:
        // The host destroyed its window, and ours with it.
        if (event.xdestroywindow.window == window) {
            if (gc) XFreeGC(display, gc);
            gc = nullptr;
            window = 0;
        }
        break;
    default:
        break;
    }
}

#include "Win32EditorWindow.h"

#include "EditorWindow.h"
#include "IControl.h"
#include "IParameter.h"
#include "IPlatformGraphics.h"
#include "IRaster.h"
#include "ITextControls.h"

#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

std::unique_ptr<IEditorWindow> NewSystemEditorWindow() {
    return std::make_unique<Win32EditorWindow>();
}

namespace {
const char kClassName[] = "VulpaneWndClass";
constexpr int kPopupId = 99;
// Editor windows open in this process: the class lives while there is one.
int openWindows = 0;

IMouseKeys KeysOf(WPARAM flags) {
    IMouseKeys keys;
    keys.left = (flags & MK_LBUTTON) != 0;
    keys.right = (flags & MK_RBUTTON) != 0;
    keys.shift = (flags & MK_SHIFT) != 0;
    keys.control = (flags & MK_CONTROL) != 0;
    keys.alt = GetKeyState(VK_MENU) < 0;
    return keys;
}

std::string FolderOf(HMODULE module) {
    char path[257] = {};
    const DWORD n = GetModuleFileNameA(module, path, 256);
    std::string full(path, n < 256 ? n : 256);
    const size_t slash = full.find_last_of('\\');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

// The display text of the parameter's current value.
std::string CurrentText(const IParameter* param) {
    char text[32] = {};
    param->FormatForHost(param->Value(), false, text);
    return text;
}

// The list entries of a parameter with display texts, in value order.
std::vector<std::string> ListEntries(const IParameter* param) {
    std::vector<std::string> entries;
    if (param->DisplayTextCount() <= 0) return entries;
    for (int v = static_cast<int>(param->Minimum()); v <= static_cast<int>(param->Maximum()); ++v) {
        const char* text = param->GetDisplayText(v);
        if (text && *text) entries.emplace_back(text);
    }
    return entries;
}

std::string WindowText(HWND hwnd, int limit) {
    std::vector<char> buffer(static_cast<size_t>(limit) + 1, '\0');
    GetWindowTextA(hwnd, buffer.data(), limit + 1);
    return buffer.data();
}

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(lParam);
        if (choose && choose->lCustData)
            SetWindowTextA(dialog, reinterpret_cast<const char*>(choose->lCustData));
    }
    return 0;
}
} // namespace

Win32EditorWindow::Win32EditorWindow() = default;

Win32EditorWindow::~Win32EditorWindow() {
    Close();
}

UINT Win32EditorWindow::TimerPeriod(int frameRate) {
    if (frameRate <= 0) frameRate = 24;
    return static_cast<UINT>(1000.0 / frameRate);
}

int Win32EditorWindow::EditorKeyCode(WPARAM key) {
    switch (key) {
    case VK_SPACE:
        return 0;
    case VK_UP:
        return 1;
    case VK_DOWN:
        return 2;
    case VK_LEFT:
        return 3;
    case VK_RIGHT:
        return 4;
    default:
        break;
    }
    if (key >= '0' && key <= '9') return 5 + static_cast<int>(key - '0');
    if (key >= 'A' && key <= 'Z') return 15 + static_cast<int>(key - 'A');
    return -1;
}

HINSTANCE Win32EditorWindow::ModuleInstance() {
    // The module that holds this function: the plug-in DLL, whatever the host's own module is.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&Win32EditorWindow::WindowProc), &module);
    return module;
}

void* Win32EditorWindow::Open(IPlatformGraphics* owner, void* parentWindow) {
    HWND newParent = static_cast<HWND>(parentWindow);
    if (!owner || !newParent || !IsWindow(newParent)) return nullptr;
    int x = 0, y = 0, width = owner->Width(), height = owner->Height();
    if (window) {
        // Opened again without a close: the new window takes the old one's place and size.
        RECT r;
        GetWindowRect(window, &r);
        POINT topLeft{r.left, r.top};
        ScreenToClient(newParent, &topLeft);
        x = topLeft.x;
        y = topLeft.y;
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    Close();
    parent = newParent;
    graphics = owner;
    const HINSTANCE instance = ModuleInstance();
    if (openWindows++ == 0) {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &Win32EditorWindow::WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.lpszClassName = kClassName;
        RegisterClassA(&windowClass);
    }
    holdsClass = true;
    HWND created = CreateWindowExA(0, kClassName, "Vulpane", WS_CHILD | WS_VISIBLE, x, y, width, height,
                                   newParent, nullptr, instance, this);
    if (!created) {
        window = nullptr;
        ReleaseClass();
        graphics = nullptr;
        return nullptr;
    }
    window = created;
    return window;
}

void Win32EditorWindow::ReleaseClass() {
    if (!holdsClass) return;
    holdsClass = false;
    if (--openWindows == 0) UnregisterClassA(kClassName, ModuleInstance());
}

void Win32EditorWindow::Close() {
    if (window) DestroyWindow(window); // WM_NCDESTROY forgets the handle and the popup
    window = nullptr;
    popup = nullptr;
    popupControl = nullptr;
    popupParam = nullptr;
    popupPrevious = nullptr;
    popupState = kIdle;
    if (popupFont) DeleteObject(popupFont);
    popupFont = nullptr;
    ReleaseClass();
}

void Win32EditorWindow::Present(IRaster* bitmap, const IRect& rect) {
    if (!window || !bitmap) return;
    const IRect area = rect.Intersect(IRect(0, 0, bitmap->Width(), bitmap->Height()));
    if (area.Empty()) return;
    HDC target = paintContext ? paintContext : GetDC(window);
    if (!target) return;
    if (HDC source = static_cast<HDC>(bitmap->DeviceContext())) {
        BitBlt(target, area.left, area.top, area.W(), area.H(), source, area.left, area.top, SRCCOPY);
    } else if (bitmap->Pixels()) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = bitmap->RowPixels();
        info.bmiHeader.biHeight = bitmap->BottomUp() ? bitmap->Height() : -bitmap->Height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        // Source y counts from the bottom row for a bottom-up image; -height makes it top-down.
        const int sourceY = bitmap->BottomUp() ? bitmap->Height() - area.bottom : area.top;
        StretchDIBits(target, area.left, area.top, area.W(), area.H(), area.left, sourceY, area.W(), area.H(),
                      bitmap->Pixels(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    if (!paintContext) ReleaseDC(window, target);
}

void Win32EditorWindow::Resized(int oldWidth, int oldHeight, int newWidth, int newHeight) {
    if (!window) return;
    const int dw = newWidth - oldWidth, dh = newHeight - oldHeight;
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A host's plain child container grows with us, and its own parent likewise.
    HWND outer = GetParent(window);
    for (int level = 0; level < 2 && outer; ++level) {
        if ((GetWindowLongA(outer, GWL_STYLE) & WS_CHILD) == 0 ||
            (GetWindowLongA(outer, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0)
            break;
        GetWindowRect(outer, &r);
        SetWindowPos(outer, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        outer = GetParent(outer);
    }
    RECT old{0, 0, oldWidth, oldHeight};
    InvalidateRect(window, &old, FALSE);
}

void Win32EditorWindow::AskForFile(std::string& outFileName, int action, const char* folder, const char*) {
    outFileName.clear();
    if (!window) return;
    char name[256] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window;
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof(name) - 1;
    dialog.lpstrInitialDir = folder && *folder ? folder : nullptr;
    // OFN_NOCHANGEDIR: the host's working folder is not ours to move.
    BOOL chosen;
    if (action == 1) {
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
        chosen = GetSaveFileNameA(&dialog);
    } else {
        dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
        chosen = GetOpenFileNameA(&dialog);
    }
    if (chosen) outFileName = name;
}

bool Win32EditorWindow::AskForColour(IColorARGB& colour, const char* prompt) {
    if (!window) return false;
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = window;
    choose.rgbResult = RGB(colour.R, colour.G, colour.B);
    choose.lpCustColors = customColours;
    choose.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
    choose.lCustData = reinterpret_cast<LPARAM>(prompt);
    choose.lpfnHook = &ColourHook;
    if (!ChooseColorA(&choose)) return false;
    colour.R = GetRValue(choose.rgbResult);
    colour.G = GetGValue(choose.rgbResult);
    colour.B = GetBValue(choose.rgbResult);
    return true;
}

bool Win32EditorWindow::OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                                    const char* errorMessage) {
    if (!url) return false;
    if (confirmMessage && MessageBoxA(window, confirmMessage, title, MB_YESNO) != IDYES) return false;
    DWORD how = 0;
    if (InternetGetConnectedState(&how, 0)) {
        const auto result =
            reinterpret_cast<INT_PTR>(ShellExecuteA(window, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return true;
    }
    if (errorMessage) MessageBoxA(window, errorMessage, title, MB_OK);
    return false;
}

void Win32EditorWindow::ShowMessage(const char* text, const char* caption) {
    MessageBoxA(window, text, caption, MB_OK);
}

void Win32EditorWindow::HostFolder(std::string& out) {
    out = FolderOf(nullptr);
}

void Win32EditorWindow::ModuleFolder(std::string& out) {
    out = FolderOf(ModuleInstance());
}

void Win32EditorWindow::AskParameterValue(IControl* control, IParameter* param) {
    if (!window || !control || !param || popup) return;
    const IRect& r = control->Rect();
    const int cx = static_cast<int>((r.left + r.right) * 0.5),
              cy = static_cast<int>((r.top + r.bottom) * 0.5);
    const std::string current = CurrentText(param);
    const std::vector<std::string> entries = ListEntries(param);
    HINSTANCE instance = ModuleInstance();
    if (!entries.empty()) {
        size_t longest = 0;
        for (const std::string& e : entries)
            longest = e.size() > longest ? e.size() : longest;
        const int width = 24 + 8 * static_cast<int>(longest);
        const int height = 36 * (static_cast<int>(entries.size()) + 1);
        popup = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                cx - width / 2, cy, width, height, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPopupId)), instance, nullptr);
        if (!popup) return;
        for (const std::string& e : entries)
            SendMessageA(popup, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
        SendMessageA(popup, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(current.c_str()));
        popupIsCombo = true;
    } else {
        popup = CreateWindowExA(0, "EDIT", current.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_CENTER,
                                cx - 18, cy - 8, 36, 16, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPopupId)), instance, nullptr);
        if (!popup) return;
        SendMessageA(popup, EM_SETSEL, 0, -1);
        popupIsCombo = false;
    }
    popupFont = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    if (popupFont) SendMessageA(popup, WM_SETFONT, reinterpret_cast<WPARAM>(popupFont), FALSE);
    SetWindowLongPtrA(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    popupPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32EditorWindow::PopupProc)));
    popupControl = control;
    popupParam = param;
    popupState = kIdle;
    SetFocus(popup);
}

void Win32EditorWindow::OpenTextEditor(ITextControl*) {
    // The editor's text field draws itself and takes WM_CHAR; it only needs the keyboard.
    if (window) SetFocus(window);
}

void Win32EditorWindow::DestroyPopup() {
    if (popup) {
        if (popupPrevious) SetWindowLongPtrA(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(popupPrevious));
        DestroyWindow(popup);
    }
    popup = nullptr;
    popupControl = nullptr;
    popupParam = nullptr;
    popupPrevious = nullptr;
    if (popupFont) DeleteObject(popupFont);
    popupFont = nullptr;
    if (window) SetFocus(window);
}

void Win32EditorWindow::CommitPopup() {
    if (!popupControl || !popupParam) return;
    const std::string text = WindowText(popup, 1000);
    double value = 0.0;
    if (popupParam->DisplayTextCount() > 0) {
        int listValue = 0;
        if (!popupParam->FindDisplayValue(text.c_str(), listValue)) return;
        value = listValue;
    } else {
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        if (end == text.c_str()) return; // not a number: nothing changes
        // A parameter shown negated shows -1 for its value 1.
        char probe[32] = {};
        popupParam->FormatForHost(1.0, false, probe);
        if (probe[0] == '-') value = -value;
    }
    popupControl->ApplyUserValue(popupParam->ToNormalized(value));
}

void Win32EditorWindow::PopupTick() {
    if (!popup || popupState == kIdle || popupState == kFocused) return;
    const int state = popupState;
    popupState = kIdle;
    if (state == kRefresh && popupParam) {
        const std::string current = CurrentText(popupParam);
        if (WindowText(popup, 32) != current) {
            if (popupIsCombo) {
                SendMessageA(popup, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(current.c_str()));
            } else {
                SetWindowTextA(popup, current.c_str());
            }
        }
    } else if (state == kCommit) {
        CommitPopup();
        DestroyPopup();
    } else if (state == kCancel) {
        DestroyPopup();
    }
}

void Win32EditorWindow::OnTimer() {
    PopupTick();
    IRect dirty;
    if (!graphics || !graphics->NeedsRedraw(dirty)) return;
    RECT r{dirty.left, dirty.top, dirty.right, dirty.bottom};
    InvalidateRect(window, &r, FALSE);
    UpdateWindow(window);
    // What the user is typing is not overwritten; an unfocused popup follows the parameter.
    if (popup && popupState == kIdle) popupState = kRefresh;
}

LRESULT CALLBACK Win32EditorWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* self = static_cast<Win32EditorWindow*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window = hwnd;
        SetTimer(hwnd, kTimerId, TimerPeriod(self->graphics ? self->graphics->FrameRate() : 0), nullptr);
        SetFocus(hwnd);
        return 0;
    }
    auto* self = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->window != hwnd || !self->graphics)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Also reached when the host destroys its window before closing the editor.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
        self->popup = nullptr;
        self->popupControl = nullptr;
        self->popupParam = nullptr;
        self->popupPrevious = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT Win32EditorWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT: {
        RECT update;
        if (GetUpdateRect(window, &update, FALSE)) {
            PAINTSTRUCT paint;
            paintContext = BeginPaint(window, &paint);
            graphics->Draw(IRect(update.left, update.top, update.right, update.bottom));
            EndPaint(window, &paint);
            paintContext = nullptr;
        }
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_MOUSEACTIVATE:
        SetFocus(window);
        return MA_ACTIVATE;
    case WM_KEYDOWN: {
        if (graphics->KeyFocus()) {
            // The editor's text field is open: editing keys go to it, characters come as WM_CHAR.
            ITextKey key = ITextKey::kCharacter;
            switch (wParam) {
            case VK_RETURN:
                key = ITextKey::kEnter;
                break;
            case VK_ESCAPE:
                key = ITextKey::kEscape;
                break;
            case VK_BACK:
                key = ITextKey::kBackspace;
                break;
            case VK_DELETE:
                key = ITextKey::kDelete;
                break;
            case VK_LEFT:
                key = ITextKey::kLeft;
                break;
            case VK_RIGHT:
                key = ITextKey::kRight;
                break;
            case VK_HOME:
                key = ITextKey::kHome;
                break;
            case VK_END:
                key = ITextKey::kEnd;
                break;
            default:
                return 0;
            }
            graphics->OnTextKey(key, 0);
            return 0;
        }
        const int code = EditorKeyCode(wParam);
        if (code < 0) return 0;
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        graphics->OnKeyDown(cursor.x, cursor.y, code);
        return 0;
    }
    case WM_CHAR:
        if (graphics->KeyFocus() && wParam >= 32 && wParam != 127)
            graphics->OnTextKey(ITextKey::kCharacter, static_cast<uint32_t>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam != kTimerId) break;
        OnTimer();
        return 0;
    case WM_MOUSEMOVE: {
        const IMouseKeys keys = KeysOf(wParam);
        if (keys.left || keys.right) {
            if (GetCapture() == window) graphics->OnMouseDrag(x, y, keys);
        } else if (graphics->OnMouseOver(x, y, keys)) {
            TRACKMOUSEEVENT track = {};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = window;
            TrackMouseEvent(&track);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        // A click in the editor commits an open popup and still reaches the control.
        if (popup) popupState = kCommit;
        SetCapture(window);
        graphics->OnMouseDown(x, y, KeysOf(wParam));
        return 0;
    case WM_RBUTTONDOWN:
        // A right click only cancels an open popup.
        if (popup) {
            popupState = kCancel;
            return 0;
        }
        SetCapture(window);
        graphics->OnMouseDown(x, y, KeysOf(wParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        graphics->OnMouseUp(x, y, KeysOf(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        if (graphics->OnMouseDblClick(x, y, KeysOf(wParam))) SetCapture(window);
        return 0;
    case WM_MOUSEWHEEL: {
        RECT r;
        GetWindowRect(window, &r);
        const int notches = static_cast<short>(HIWORD(wParam)) / 120;
        graphics->OnMouseWheel(x - r.left, y - r.top, KeysOf(GET_KEYSTATE_WPARAM(wParam)), notches);
        return 0;
    }
    case WM_MOUSELEAVE:
        graphics->OnMouseOut();
        return 0;
    case WM_COMMAND:
        // The combo box tells its parent, this window, when an entry is chosen.
        if (popup && LOWORD(wParam) == kPopupId && HIWORD(wParam) == CBN_SELCHANGE) popupState = kCommit;
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32EditorWindow::PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->popup != hwnd || !self->popupPrevious)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    // Focus changes must not drop a commit or cancel waiting for the next tick.
    case WM_SETFOCUS:
        if (self->popupState == kIdle || self->popupState == kRefresh) self->popupState = kFocused;
        break;
    case WM_KILLFOCUS:
        if (self->popupState == kFocused) self->popupState = kIdle;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            self->popupState = kCommit;
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(self->popupPrevious, hwnd, message, wParam, lParam);
}

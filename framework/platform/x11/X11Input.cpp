#include "X11Input.h"

#include <X11/keysym.h>

#include <cstdlib>

int EditorKeyCode(unsigned long keysym) {
    switch (keysym) {
    case XK_space:
        return 0;
    case XK_Up:
    case XK_KP_Up:
        return 1;
    case XK_Down:
    case XK_KP_Down:
        return 2;
    case XK_Left:
    case XK_KP_Left:
        return 3;
    case XK_Right:
    case XK_KP_Right:
        return 4;
    default:
        break;
    }
    if (keysym >= XK_0 && keysym <= XK_9) return 5 + static_cast<int>(keysym - XK_0);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return 5 + static_cast<int>(keysym - XK_KP_0);
    if (keysym >= XK_A && keysym <= XK_Z) return 15 + static_cast<int>(keysym - XK_A);
    if (keysym >= XK_a && keysym <= XK_z) return 15 + static_cast<int>(keysym - XK_a);
    return -1;
}

bool IClickTimer::Press(unsigned button, unsigned long timeMs, int x, int y) {
    // Server time is a 32-bit millisecond counter; unsigned subtraction survives its wrap.
    const unsigned long elapsed = (timeMs - lastTime) & 0xFFFFFFFFul;
    const bool isDouble = lastButton != 0 && button == lastButton && elapsed <= kIntervalMs &&
                          std::abs(x - lastX) <= kSlopPixels && std::abs(y - lastY) <= kSlopPixels;
    lastButton = isDouble ? 0 : button;
    lastTime = timeMs;
    lastX = x;
    lastY = y;
    return isDouble;
}

bool TextKeyOf(unsigned long keysym, ITextKey& key, uint32_t& character) {
    character = 0;
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        key = ITextKey::kEnter;
        return true;
    case XK_Escape:
        key = ITextKey::kEscape;
        return true;
    case XK_BackSpace:
        key = ITextKey::kBackspace;
        return true;
    case XK_Delete:
    case XK_KP_Delete:
        key = ITextKey::kDelete;
        return true;
    case XK_Left:
    case XK_KP_Left:
        key = ITextKey::kLeft;
        return true;
    case XK_Right:
    case XK_KP_Right:
        key = ITextKey::kRight;
        return true;
    case XK_Home:
    case XK_KP_Home:
        key = ITextKey::kHome;
        return true;
    case XK_End:
    case XK_KP_End:
        key = ITextKey::kEnd;
        return true;
    default:
        break;
    }
    key = ITextKey::kCharacter;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
        character = static_cast<uint32_t>(keysym);
        return true;
    }
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
        character = static_cast<uint32_t>('0' + (keysym - XK_KP_0));
        return true;
    }
    if ((keysym & 0xFF000000ul) == 0x01000000ul) {
        character = static_cast<uint32_t>(keysym & 0x00FFFFFFul);
        return character >= 0x20;
    }
    return false;
}

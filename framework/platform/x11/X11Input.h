#pragma once

#include "IGraphicsTypes.h"

// X11 input turned into the editor's terms; plain functions so they are testable without a display.

// The editor's key code for an X keysym: space 0, up 1, down 2, left 3, right 4, digits 5..14,
// letters 15..40; -1 for any other key.
int EditorKeyCode(unsigned long keysym);

// X has no double-click event: a second press of the same button soon after and close to
// the first is one. A third press starts counting again.
class IClickTimer {
public:
    static constexpr unsigned long kIntervalMs = 400;
    static constexpr int kSlopPixels = 4;

    // Called for every button press; true when this press completes a double click.
    bool Press(unsigned button, unsigned long timeMs, int x, int y);

private:
    unsigned lastButton = 0;
    unsigned long lastTime = 0;
    int lastX = 0;
    int lastY = 0;
};

// The text key of an X keysym for a text field: the editing keys, or a character (Latin-1
// keysyms and Unicode keysyms 0x01000000 + code point). False for a key that types nothing.
bool TextKeyOf(unsigned long keysym, ITextKey& key, uint32_t& character);

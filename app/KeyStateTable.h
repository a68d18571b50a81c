#pragma once

#include <Inventor/events/SoKeyboardEvent.h>

class SoEventCallback;

struct KeyState {
    SoKeyboardEvent::Key key;
    bool pressed;
};

// Rows of the held-key table; readers address them by these indices.
enum KeyRow {
    KEY_UP_ARROW = 0,
    KEY_DOWN_ARROW,
    KEY_LEFT_ARROW,
    KEY_RIGHT_ARROW,
    KEY_RETURN,
    KEY_TAB,
    KEY_ESCAPE,
    KEY_SPACE,
    KEY_A,
    KEY_Z,
    KEY_Q,
    KEY_W,
    KEY_E,
    KEY_R,
    KEY_ROW_COUNT
};

extern KeyState KeyStateTable[KEY_ROW_COUNT];

// Records presses and releases of the watched keys; every keyboard event is
// marked handled.
void onKeyboardEvent(void* userData, SoEventCallback* node);

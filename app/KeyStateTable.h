#pragma once

#include <Inventor/events/SoKeyboardEvent.h>

class SoEvent;
class SoEventCallback;

struct KeyState {
    SoKeyboardEvent::Key key;
    bool pressed;
    // Set by every press and cleared by the step that has acted on it, so that
    // a tap released before the next step still acts in that step, once.
    bool pressedSinceStep = false;
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

// Whether the step acts on the row's key: held now, or pressed since the
// previous step.
bool keyDown(KeyRow row);

// Called by the step once it has read every row.
void clearPressesSinceStep();

// Counts every held key as released: called when the window loses the keyboard
// focus, after which the keys' releases go to another window. A press since
// the previous step still acts in the next step, once.
void releaseHeldKeys();

// Records a press or release of a watched key in the table; other events
// change nothing. A replay delivers its recorded events here.
void applyKeyEvent(const SoEvent* event);

// Records presses and releases of the watched keys; every keyboard event is
// marked handled.
void onKeyboardEvent(void* userData, SoEventCallback* node);

#include "app/KeyStateTable.h"

#include <Inventor/nodes/SoEventCallback.h>

KeyState KeyStateTable[KEY_ROW_COUNT] = {
    {SoKeyboardEvent::UP_ARROW, false},   {SoKeyboardEvent::DOWN_ARROW, false},
    {SoKeyboardEvent::LEFT_ARROW, false}, {SoKeyboardEvent::RIGHT_ARROW, false},
    {SoKeyboardEvent::RETURN, false},     {SoKeyboardEvent::TAB, false},
    {SoKeyboardEvent::ESCAPE, false},     {SoKeyboardEvent::SPACE, false},
    {SoKeyboardEvent::A, false},          {SoKeyboardEvent::Z, false},
    {SoKeyboardEvent::Q, false},          {SoKeyboardEvent::W, false},
    {SoKeyboardEvent::E, false},          {SoKeyboardEvent::R, false},
};

bool keyDown(KeyRow row) {
    return KeyStateTable[row].pressed || KeyStateTable[row].pressedSinceStep;
}

void clearPressesSinceStep() {
    for (KeyState& row : KeyStateTable) {
        row.pressedSinceStep = false;
    }
}

void releaseHeldKeys() {
    for (KeyState& row : KeyStateTable) {
        row.pressed = false;
    }
}

void applyKeyEvent(const SoEvent* event) {
    for (KeyState& row : KeyStateTable) {
        if (SoKeyboardEvent::isKeyPressEvent(event, row.key)) {
            row.pressed = true;
            row.pressedSinceStep = true;
        }
        if (SoKeyboardEvent::isKeyReleaseEvent(event, row.key)) {
            row.pressed = false;
        }
    }
}

void onKeyboardEvent(void*, SoEventCallback* node) {
    applyKeyEvent(node->getEvent());
    node->setHandled();
}

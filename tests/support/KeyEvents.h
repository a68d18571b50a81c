#pragma once

#include <Inventor/events/SoKeyboardEvent.h>

class SoNode;

// Delivers one keyboard event to a scene as the render area does; returns
// whether a node marked it handled.
bool sendKeyEvent(SoNode* scene, SoKeyboardEvent::Key key, SoButtonEvent::State state);

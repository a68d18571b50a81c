#include "tests/support/KeyEvents.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoHandleEventAction.h>

bool sendKeyEvent(SoNode* scene, SoKeyboardEvent::Key key, SoButtonEvent::State state) {
    SoKeyboardEvent event;
    event.setKey(key);
    event.setState(state);
    SoHandleEventAction action(SbViewportRegion(800, 600));
    action.setEvent(&event);
    action.apply(scene);
    return action.isHandled();
}

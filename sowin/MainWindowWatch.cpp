#include "sowin/MainWindowWatch.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QWidget>

bool MainWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, long*) {
    // The window has no X id until Qt creates it; asking for it here must not
    // create it.
    const WId id = window->internalWinId();
    if (id == 0 || state == DESTROYED || eventType != "xcb_generic_event_t") {
        return false;
    }
    const xcb_generic_event_t* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
        case XCB_MAP_NOTIFY:
            if (reinterpret_cast<const xcb_map_notify_event_t*>(event)->window == id) {
                state = MAPPED;
            }
            break;
        case XCB_UNMAP_NOTIFY:
            if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == id) {
                state = UNMAPPED;
            }
            break;
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == id) {
                state = DESTROYED;
            }
            break;
    }
    return false;  // Qt handles every event as before
}

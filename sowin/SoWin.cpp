#include "sowin/SoWin.h"

#include <Inventor/Qt/SoQt.h>
#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/sensors/SoSensorManager.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sowin/SoWinRenderArea.h"

// Xlib defines macros that clash with Qt, so it comes last.
#include <X11/Xlib.h>

namespace {

QWidget* mainWidget = nullptr;
unsigned long passes = 0;

// SoQt drives the scene library's sensor queues from Qt timers; its idle
// timer empties the delay queue as fast as Qt spins, so a sensor that
// reschedules itself would fire many times per redraw. The main loop below
// does that work itself, once per pass: the queue-change notification that
// arms those timers is ignored, and any of them that still fires is stopped.
void ignoreQueueChange(void*) {}

class SensorTimerBlocker : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            if (QTimer* timer = qobject_cast<QTimer*>(watched)) {
                timer->stop();
                return true;
            }
        }
        return false;
    }
};

bool displayCanBeOpened() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::strcmp(platform, "xcb") != 0) {
        return true;  // Another Qt platform: Qt decides for itself.
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

}  // namespace

QWidget* SoWin::init(const char* appName, const char* className) {
    if (!displayCanBeOpened()) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: no display could be opened (DISPLAY is %s%s%s)\n",
                     appName ? appName : "program", name ? "\"" : "", name ? name : "not set",
                     name ? "\"" : "");
        return nullptr;
    }
    mainWidget = SoQt::init(appName, className);
    if (mainWidget) {
        SoDB::getSensorManager()->setChangedCallback(ignoreQueueChange, nullptr);
        // The delay queue's timeout (a timer sensor) would process it a
        // second time in some passes. Every pass processes it anyway, so it
        // cannot starve: push the timeout out of reach. (A zero timeout would
        // fire on every pass instead.)
        SoDB::setDelaySensorTimeout(SbTime(1.0e6));
        qApp->installEventFilter(new SensorTimerBlocker);
    }
    return mainWidget;
}

void SoWin::show(QWidget* widget) { SoQt::show(widget); }

void SoWin::mainLoop() {
    SoSensorManager* sensors = SoDB::getSensorManager();
    while (mainWidget && mainWidget->isVisible()) {
        ++passes;
        QApplication::processEvents(QEventLoop::AllEvents);
        if (!mainWidget->isVisible()) {
            break;
        }
        sensors->processTimerQueue();
        sensors->processDelayQueue(TRUE);
        SoWinRenderArea::renderAll();
    }
}

unsigned long SoWin::passCount() { return passes; }

unsigned long SoWin::redrawCount() { return SoWinRenderArea::redrawCount(); }

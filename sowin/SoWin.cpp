#include "sowin/SoWin.h"

#include <Inventor/Qt/SoQt.h>
#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/sensors/SoSensorManager.h>
#include <dlfcn.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sowin/MainWindowWatch.h"
#include "sowin/SoWinRenderArea.h"

// Xlib defines macros that clash with Qt, so it comes last.
#include <X11/Xlib.h>

namespace {

QWidget* mainWidget = nullptr;
MainWindowWatch* mainWindowWatch = nullptr;
SoWin::VisibilityCallback visibilityCallback = nullptr;
void* visibilityData = nullptr;
unsigned long passes = 0;

// SoQt drives the scene library's sensor queues from three Qt timers of its
// own; its idle timer empties the delay queue as fast as Qt spins, so a
// sensor that reschedules itself would fire many times per redraw. The main
// loop below does that work itself, once per pass: the queue-change
// notification that arms those timers is ignored, and any of them that still
// fires is stopped. Other timers of the process run as they are; a SoQt whose
// timers cannot be found is refused rather than every timer stopped.
void ignoreQueueChange(void*) {}

class SensorTimerBlocker : public QObject {
public:
    SensorTimerBlocker() {
        // SoQt keeps the timers in static members of its private class
        // SoQtP, exported but declared in no public header: look them up by
        // their symbol names.
        const char* const names[] = {"_ZN5SoQtP15timerqueuetimerE", "_ZN5SoQtP9idletimerE",
                                     "_ZN5SoQtP17delaytimeouttimerE"};
        for (const char* name : names) {
            if (void* symbol = dlsym(RTLD_DEFAULT, name)) {
                sensorTimers.push_back(static_cast<QTimer* const*>(symbol));
            }
        }
    }

    // Whether all three timers were found.
    bool complete() const { return sensorTimers.size() == 3; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer && drivesSensors(watched)) {
            static_cast<QTimer*>(watched)->stop();
            return true;
        }
        return false;
    }

private:
    bool drivesSensors(const QObject* object) const {
        for (QTimer* const* timer : sensorTimers) {
            if (*timer && *timer == object) {
                return true;
            }
        }
        return false;
    }

    // Where SoQt keeps each timer; null until SoQt creates it.
    std::vector<QTimer* const*> sensorTimers;
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
        SensorTimerBlocker* blocker = new SensorTimerBlocker;
        if (!blocker->complete()) {
            std::fprintf(stderr,
                         "%s: SoQt's sensor timers (SoQtP::timerqueuetimer, idletimer and "
                         "delaytimeouttimer) are not in this SoQt; the main loop cannot run "
                         "without them\n",
                         appName ? appName : "program");
            delete blocker;
            mainWidget = nullptr;
            return nullptr;
        }
        qApp->installEventFilter(blocker);
        mainWindowWatch = new MainWindowWatch(mainWidget);
        qApp->installNativeEventFilter(mainWindowWatch);
    }
    return mainWidget;
}

void SoWin::show(QWidget* widget) { SoQt::show(widget); }

void SoWin::setVisibilityCallback(VisibilityCallback callback, void* data) {
    visibilityCallback = callback;
    visibilityData = data;
}

namespace {

// Closed, or destroyed by another client.
bool mainWindowOpen() {
    return mainWidget && mainWidget->isVisible() && mainWindowWatch &&
           !mainWindowWatch->destroyed();
}

// An unmapped window shows nothing: the loop neither ticks nor draws, and
// sleeps until the window system has news.
void waitWhileUnmapped() {
    if (visibilityCallback) {
        visibilityCallback(visibilityData, FALSE);
    }
    while (mainWindowOpen() && mainWindowWatch->unmapped()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (visibilityCallback && mainWindowOpen()) {
        visibilityCallback(visibilityData, TRUE);
    }
}

}  // namespace

void SoWin::mainLoop() {
    SoSensorManager* sensors = SoDB::getSensorManager();
    while (mainWindowOpen()) {
        ++passes;
        QApplication::processEvents(QEventLoop::AllEvents);
        if (!mainWindowOpen()) {
            break;
        }
        if (mainWindowWatch->unmapped()) {
            waitWhileUnmapped();
            continue;
        }
        sensors->processTimerQueue();
        sensors->processDelayQueue(TRUE);
        SoWinRenderArea::renderAll();
    }
}

unsigned long SoWin::passCount() {
    return passes;
}

unsigned long SoWin::redrawCount() {
    return SoWinRenderArea::redrawCount();
}

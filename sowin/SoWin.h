#pragma once

#include <Inventor/SbBasic.h>

class QWidget;

// The window binding's entry points, on top of SoQt.
class SoWin {
public:
    // Opens the display and sets up the window system; gives the main window,
    // or null (with a one-line message on standard error) when no display can
    // be opened.
    static QWidget* init(const char* appName, const char* className = "SoWin");
    static void show(QWidget* widget);
    // Runs until the main window is closed, or destroyed by another client.
    // Every pass delivers the window events, processes the scene library's
    // timer and delay queues once and redraws every render area once. While
    // the main window is unmapped (minimised) the loop does none of that but
    // waits for window events.
    static void mainLoop();

    // Called with FALSE when the main loop stops ticking and drawing because
    // the main window was unmapped, and with TRUE when it carries on.
    using VisibilityCallback = void (*)(void* data, SbBool visible);
    static void setVisibilityCallback(VisibilityCallback callback, void* data);

    // Passes of the main loop and redraws so far.
    static unsigned long passCount();
    static unsigned long redrawCount();

private:
    SoWin() = delete;
};

#pragma once

#include <Inventor/SbBasic.h>

class QWidget;

// The window binding's entry points, on top of SoQt.
class SoWin {
public:
    // Opens the display and sets up the window system; gives the main window,
    // or null (with a one-line message on standard error) when no display can
    // be opened. Mesa's software renderer is kept to the drawing thread unless
    // LP_NUM_THREADS says otherwise.
    static QWidget* init(const char* appName, const char* className = "SoWin");
    static void show(QWidget* widget);
    // Runs until the main window is closed. Every pass delivers the window
    // events, processes the scene library's timer and delay queues once and
    // redraws every render area once.
    static void mainLoop();

    // Passes of the main loop and redraws so far.
    static unsigned long passCount();
    static unsigned long redrawCount();

private:
    SoWin() = delete;
};

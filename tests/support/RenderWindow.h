#pragma once

#include <Inventor/Qt/SoQtRenderArea.h>

#include <functional>
#include <vector>

// For tests that draw in a real window: an X server of their own and a
// render area that reads its frame back after every redraw.

// Starts Xvfb on a free display for the whole test program and points
// DISPLAY at it; stops it at the end. Call once, before the window system.
void usePrivateXServer();

// Initialises the window system (SoQt) once; its main window.
QWidget* testMainWindow();

class CapturingArea;
// Shows the scene in an 800 x 600 render area on black in the main window and
// waits until the window has settled; null (and a test failure) if it did not.
CapturingArea* showScene(SoNode* scene);

class CapturingArea : public SoQtRenderArea {
public:
    using SoQtRenderArea::SoQtRenderArea;
    std::vector<unsigned char> rgb;  // bottom row first
    SbVec2s size;
    int frames = 0;
    // Runs after each frame is read back, with the window's GL context current.
    std::function<void()> afterFrame;

    // Redraws and waits for the frame, up to 20 s; whether it came.
    bool nextFrame();
    // Whether pixel (x, y), counted from the bottom left, is within 4 of the colour.
    bool near(int x, int y, int r, int g, int b) const;

protected:
    void actualRedraw() override;
};

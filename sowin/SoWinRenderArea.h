#pragma once

#include <Inventor/Qt/SoQtRenderArea.h>

// A render area that the main loop redraws once per pass.
class SoWinRenderArea : public SoQtRenderArea {
public:
    SoWinRenderArea(QWidget* parent = nullptr, const char* name = nullptr, SbBool embed = TRUE,
                    SbBool mouseInput = TRUE, SbBool keyboardInput = TRUE);
    ~SoWinRenderArea() override;

    // Redraws every render area there is; the main loop's last step.
    static void renderAll();
    // Redraws so far, of all render areas together.
    static unsigned long redrawCount();

protected:
    void actualRedraw() override;
};

#pragma once

#include <Inventor/Qt/SoQtRenderArea.h>

#include "sowin/SoWinComponent.h"

// A render area that the main loop redraws once per pass.
class SoWinRenderArea : public SoQtRenderArea {
public:
    SoWinRenderArea(QWidget* parent = nullptr, const char* name = nullptr, SbBool embed = TRUE,
                    SbBool mouseInput = TRUE, SbBool keyboardInput = TRUE);
    ~SoWinRenderArea() override;

protected:
    void actualRedraw() override;
};

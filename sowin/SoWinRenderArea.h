#pragma once

#include <Inventor/Qt/SoQtRenderArea.h>

// A render area that the main loop redraws once per pass.
class SoWinRenderArea : public SoQtRenderArea {
public:
    // Sees every event before the scene graph does; an event it returns TRUE
    // for goes no further.
    using EventFilter = SbBool (*)(void* data, const SoEvent* event);

    SoWinRenderArea(QWidget* parent = nullptr, const char* name = nullptr, SbBool embed = TRUE,
                    SbBool mouseInput = TRUE, SbBool keyboardInput = TRUE);
    ~SoWinRenderArea() override;

    // Redraws every render area there is; the main loop's last step.
    static void renderAll();
    // Redraws so far, of all render areas together.
    static unsigned long redrawCount();

    void setEventFilter(EventFilter filter, void* data);

    // Called when the render area loses the keyboard focus: the releases of
    // keys held at that moment will not come here.
    using FocusOutCallback = void (*)(void* data);
    void setFocusOutCallback(FocusOutCallback callback, void* data);

protected:
    void actualRedraw() override;
    SbBool processSoEvent(const SoEvent* const event) override;
    void processEvent(QEvent* event) override;

private:
    EventFilter eventFilter = nullptr;
    void* eventFilterData = nullptr;
    FocusOutCallback focusOutCallback = nullptr;
    void* focusOutData = nullptr;
};

#include "sowin/SoWinRenderArea.h"

#include <Inventor/SbTime.h>
#include <Inventor/events/SoKeyboardEvent.h>

#include <QEvent>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

namespace {

std::vector<SoWinRenderArea*> renderAreas;
unsigned long redraws = 0;

}  // namespace

SoWinRenderArea::SoWinRenderArea(QWidget* parent, const char* name, SbBool embed, SbBool mouseInput,
                                 SbBool keyboardInput)
    : SoQtRenderArea(parent, name, embed, mouseInput, keyboardInput) {
    // The main loop redraws every pass; redraws scheduled on scene changes
    // would come on top of those.
    setAutoRedraw(FALSE);
    setSize(SbVec2s(800, 600));
    renderAreas.push_back(this);
}

SoWinRenderArea::~SoWinRenderArea() {
    renderAreas.erase(std::remove(renderAreas.begin(), renderAreas.end(), this), renderAreas.end());
}

void SoWinRenderArea::renderAll() {
    for (SoWinRenderArea* area : renderAreas) {
        area->render();
    }
}

unsigned long SoWinRenderArea::redrawCount() {
    return redraws;
}

void SoWinRenderArea::actualRedraw() {
    SoQtRenderArea::actualRedraw();
    ++redraws;
}

void SoWinRenderArea::setEventFilter(EventFilter filter, void* data) {
    eventFilter = filter;
    eventFilterData = data;
}

void SoWinRenderArea::setFocusOutCallback(FocusOutCallback callback, void* data) {
    focusOutCallback = callback;
    focusOutData = data;
}

void SoWinRenderArea::processEvent(QEvent* event) {
    if (event->type() == QEvent::FocusOut && focusOutCallback) {
        focusOutCallback(focusOutData);
    }
    // Qt names Tab pressed with Shift Backtab, which SoQt's keyboard does not
    // translate: the press was lost, and so was the release while Shift was
    // still held, leaving Tab held in the key table. Both go on as Tab's.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backtab) {
        const QKeyEvent* key = static_cast<QKeyEvent*>(event);
        SoKeyboardEvent tab;
        tab.setKey(SoKeyboardEvent::TAB);
        tab.setState(type == QEvent::KeyPress ? SoButtonEvent::DOWN : SoButtonEvent::UP);
        tab.setShiftDown(TRUE);
        tab.setCtrlDown((key->modifiers() & Qt::ControlModifier) ? TRUE : FALSE);
        tab.setAltDown((key->modifiers() & Qt::AltModifier) ? TRUE : FALSE);
        tab.setTime(SbTime::getTimeOfDay());
        processSoEvent(&tab);
        return;
    }
    SoQtRenderArea::processEvent(event);
}

SbBool SoWinRenderArea::processSoEvent(const SoEvent* const event) {
    if (eventFilter && eventFilter(eventFilterData, event)) {
        return TRUE;
    }
    return SoQtRenderArea::processSoEvent(event);
}

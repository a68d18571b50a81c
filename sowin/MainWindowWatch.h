#pragma once

#include <QAbstractNativeEventFilter>

class QWidget;

// Follows from the X events what Qt does not say of the main window: whether
// it is unmapped (minimised, or unmapped by another client) and whether
// another client has destroyed it. Qt keeps such a window "visible".
class MainWindowWatch : public QAbstractNativeEventFilter {
public:
    explicit MainWindowWatch(const QWidget* window) : window(window) {}

    // Unmapped since it was last mapped: nothing of it shows.
    bool unmapped() const { return state == UNMAPPED; }
    bool destroyed() const { return state == DESTROYED; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

private:
    enum State { MAPPED, UNMAPPED, DESTROYED };

    const QWidget* window;
    // Until the window is first mapped it counts as mapped: it is only
    // coming up.
    State state = MAPPED;
};

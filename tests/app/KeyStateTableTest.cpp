#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>

#include "app/KeyStateTable.h"
#include "tests/support/KeyEvents.h"

namespace {

// A scene like the program's: the keyboard callback first, then a second
// callback that records whether any keyboard event got past the first.
class KeyboardScene : public ::testing::Test {
protected:
    void SetUp() override {
        SoDB::init();
        for (KeyState& row : KeyStateTable) {
            row = KeyState{row.key, false};
        }
        root = new SoSeparator;
        root->ref();
        SoEventCallback* keyboard = new SoEventCallback;
        keyboard->addEventCallback(SoKeyboardEvent::getClassTypeId(), onKeyboardEvent, root);
        root->addChild(keyboard);
        SoEventCallback* later = new SoEventCallback;
        later->addEventCallback(SoKeyboardEvent::getClassTypeId(), countLater, this);
        root->addChild(later);
    }
    void TearDown() override { root->unref(); }

    static void countLater(void* self, SoEventCallback*) {
        ++static_cast<KeyboardScene*>(self)->eventsSeenLater;
    }

    // Sends one key event; returns whether the scene marked it handled.
    bool send(SoKeyboardEvent::Key key, SoButtonEvent::State state) {
        return sendKeyEvent(root, key, state);
    }
    bool press(SoKeyboardEvent::Key key) { return send(key, SoButtonEvent::DOWN); }
    bool release(SoKeyboardEvent::Key key) { return send(key, SoButtonEvent::UP); }

    int pressedCount() const {
        int count = 0;
        for (const KeyState& row : KeyStateTable) {
            count += row.pressed ? 1 : 0;
        }
        return count;
    }

    SoSeparator* root = nullptr;
    int eventsSeenLater = 0;
};

TEST_F(KeyboardScene, TableWatchesFourteenKeysInFixedRows) {
    const SoKeyboardEvent::Key expected[KEY_ROW_COUNT] = {
        SoKeyboardEvent::UP_ARROW, SoKeyboardEvent::DOWN_ARROW, SoKeyboardEvent::LEFT_ARROW,
        SoKeyboardEvent::RIGHT_ARROW, SoKeyboardEvent::RETURN, SoKeyboardEvent::TAB,
        SoKeyboardEvent::ESCAPE, SoKeyboardEvent::SPACE, SoKeyboardEvent::A,
        SoKeyboardEvent::Z, SoKeyboardEvent::Q, SoKeyboardEvent::W,
        SoKeyboardEvent::E, SoKeyboardEvent::R};
    const int codes[KEY_ROW_COUNT] = {0xFF52, 0xFF54, 0xFF51, 0xFF53, 0xFF0D, 0xFF09, 0xFF1B,
                                      0x0020, 0x0061, 0x007A, 0x0071, 0x0077, 0x0065, 0x0072};
    for (int row = 0; row < KEY_ROW_COUNT; ++row) {
        EXPECT_EQ(KeyStateTable[row].key, expected[row]) << "row " << row;
        EXPECT_EQ(static_cast<int>(KeyStateTable[row].key), codes[row]) << "row " << row;
    }
}

TEST_F(KeyboardScene, PressAndReleaseFollowTheKey) {
    EXPECT_TRUE(press(SoKeyboardEvent::A));
    EXPECT_TRUE(KeyStateTable[KEY_A].pressed);
    EXPECT_EQ(pressedCount(), 1);

    // A repeated press keeps the key held; one release lets it go.
    press(SoKeyboardEvent::A);
    EXPECT_TRUE(KeyStateTable[KEY_A].pressed);
    EXPECT_TRUE(release(SoKeyboardEvent::A));
    EXPECT_FALSE(KeyStateTable[KEY_A].pressed);

    // Releasing a key that was never pressed leaves it released.
    release(SoKeyboardEvent::ESCAPE);
    EXPECT_FALSE(KeyStateTable[KEY_ESCAPE].pressed);
    EXPECT_EQ(pressedCount(), 0);
}

TEST_F(KeyboardScene, SeveralKeysAreHeldAtOnce) {
    press(SoKeyboardEvent::W);
    press(SoKeyboardEvent::UP_ARROW);
    press(SoKeyboardEvent::E);
    EXPECT_TRUE(KeyStateTable[KEY_W].pressed);
    EXPECT_TRUE(KeyStateTable[KEY_UP_ARROW].pressed);
    EXPECT_TRUE(KeyStateTable[KEY_E].pressed);
    EXPECT_EQ(pressedCount(), 3);

    release(SoKeyboardEvent::UP_ARROW);
    EXPECT_TRUE(KeyStateTable[KEY_W].pressed);
    EXPECT_FALSE(KeyStateTable[KEY_UP_ARROW].pressed);
    EXPECT_TRUE(KeyStateTable[KEY_E].pressed);
}

TEST_F(KeyboardScene, LosingTheFocusReleasesHeldKeysButAFreshPressActsOnce) {
    press(SoKeyboardEvent::Q);
    clearPressesSinceStep();  // a step has acted on Q
    press(SoKeyboardEvent::W);
    releaseHeldKeys();
    EXPECT_EQ(pressedCount(), 0);
    EXPECT_FALSE(keyDown(KEY_Q));
    EXPECT_TRUE(keyDown(KEY_W)) << "pressed since the last step: the next step acts on it";
    clearPressesSinceStep();
    EXPECT_FALSE(keyDown(KEY_W));
}

TEST_F(KeyboardScene, EveryKeyboardEventIsHandledEvenOutsideTheTable) {
    EXPECT_TRUE(press(SoKeyboardEvent::X));
    EXPECT_TRUE(release(SoKeyboardEvent::X));
    EXPECT_TRUE(press(SoKeyboardEvent::F1));
    EXPECT_EQ(pressedCount(), 0);
    press(SoKeyboardEvent::Q);
    release(SoKeyboardEvent::Q);
    EXPECT_EQ(eventsSeenLater, 0) << "no node after the keyboard callback sees keyboard events";

    // Events that are not keyboard events do not reach the callback at all.
    SoLocation2Event motion;
    SoHandleEventAction action(SbViewportRegion(800, 600));
    action.setEvent(&motion);
    action.apply(root);
    EXPECT_FALSE(action.isHandled());
}

}  // namespace

#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbColor.h>

#include <string>
#include <vector>

#include "inspector/MoveLine.h"
#include "inspector/MoverChoice.h"
#include "inspector/Refuser.h"
#include "simulation/Session.h"
#include "spatialindex/CollisionIndex.h"

class IndexView;
class SbViewportRegion;
class SoCoordinate3;
class SoIndexedLineSet;
class SoOneShotSensor;
class SoPerspectiveCamera;
class SoSensor;
class SoSeparator;
class SoSwitch;
class SoText2;

// The move inspector: one selected mover (a craft or the camera) whose moves
// it explains. Tab and Shift+Tab step through the craft and the camera, a
// left click selects the craft under the pointer; the selected craft's box is
// outlined, F shows it from behind and above, and a panel tells its last move.
// With the overlay on, the move's visited boxes, tested records and refuser
// are drawn; each step made with N while paused prints a machine line. H
// shows a panel of every key and the run's state.
//
// It costs nothing until first used: its nodes go into the scene, and it
// watches moves, only once a mover is selected or the help panel shown.
class Inspector : public MoveWatcher {
public:
    // root holds the scene's camera (the global camera); the overlay and the
    // session must outlive the inspector.
    Inspector(Session& session, SoSeparator* root, const IndexView* overlay);
    ~Inspector() override;
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    // Tab and Shift+Tab, F, H and the left button. Returns true for the
    // events that should go no further: F's and H's presses and releases and
    // a click that selected a craft. Tab goes on to the held-key table.
    bool handleEvent(const SoEvent* event, const SbViewportRegion& viewport);

    // A craft's number, cameraMover or noMover.
    int selected() const { return selection; }
    void select(int mover);
    bool chasing() const { return chaseOn; }
    bool helpShown() const { return helpOn; }
    void setHelp(bool on);
    // The chase view follows a selected craft; with the camera or nothing
    // selected it stays off.
    void setChase(bool on);

    // The last move of the selected mover, as explained.
    struct LastMove {
        bool known = false;
        const char* index = "";
        MoveExplanation explanation;
        bool refused = false;
        Refuser by;
        double microseconds = 0;
        SbBox3f refuserBox;
        std::vector<SbBox3f> testedBoxes;
        // The tried box, kept for telling the move again.
        SbBox3f triedBox;
        bool edge = false;
        // Told again through another index (below): no move was made.
        bool retold = false;
    };
    const LastMove& lastMove() const { return last; }

    bool watches(const FlyingObject* owner) const override;
    void beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                    const CollisionObject& tried) override;
    void afterMove(const FlyingObject* owner, const CollisionObject& tried, bool refused, bool edge,
                   double microseconds) override;

    // Brings the outline, the move's boxes, the panels and the chase view up
    // to date; a sensor calls it once a pass of the main loop while any of
    // them is in use, after the frame tick and before the redraw.
    void update();

    // The panels' lines as shown; empty while hidden.
    const std::vector<std::string>& panelShown() const { return panelText; }
    const std::vector<std::string>& helpShownLines() const { return helpText; }
    // The camera the view is drawn from: the chase camera while chasing.
    const SoPerspectiveCamera* shownCamera() const;

    // The selected craft's outline; the move's visited boxes and tested
    // records. None is a colour of the overlay's.
    static const SbColor selectedColour;
    static const SbColor visitedColour;
    static const SbColor testedColour;

private:
    void makeScene();
    void startUpdates();
    bool inUse() const;
    void watch(bool on);
    // The last move as the machine line and the panel tell it.
    MoveLine toldMove() const;
    void explain(const CollisionIndex& index, const CollisionObject& filed,
                 const CollisionObject& tried);
    // Paused, with the index switched since the selected mover's last move:
    // the same tried box told again through the index now active, against
    // the world as it stands (for the last craft or the camera, as it was
    // at the move: nothing but the camera moves after the last craft).
    void retell();
    void updateChase();
    void updateMarks();
    void updatePanels();
    static void onSensor(void* inspector, SoSensor* sensor);

    Session& session;
    SoSeparator* root;
    const IndexView* overlay;
    int selection = noMover;
    const FlyingObject* selectedOwner = nullptr;
    bool chaseOn = false;
    bool helpOn = false;
    SbVec3f chaseDirection;
    RefuserLookup refusers;
    LastMove last;
    unsigned long moveCount = 0;
    unsigned long moveCountDrawn = ~0ul;

    SoOneShotSensor* sensor = nullptr;
    SoSeparator* part = nullptr;
    SoSwitch* chaseSwitch = nullptr;
    SoPerspectiveCamera* chaseCamera = nullptr;
    SoSwitch* outlineSwitch = nullptr;
    SoCoordinate3* outlineCorners = nullptr;
    SoIndexedLineSet* outlineLines = nullptr;
    SoSwitch* moveSwitch = nullptr;
    SoCoordinate3* moveCorners[3] = {};
    SoIndexedLineSet* moveLines[3] = {};
    SoSwitch* panelSwitch = nullptr;
    SoText2* panel = nullptr;
    SoSwitch* helpSwitch = nullptr;
    SoText2* help = nullptr;
    std::vector<std::string> panelText;
    std::vector<std::string> helpText;
    SbBox3f outlineShown;
};

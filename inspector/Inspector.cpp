#include "inspector/Inspector.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoAnnotation.h>
#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoDrawStyle.h>
#include <Inventor/nodes/SoFaceSet.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoResetTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <cstdio>
#include <cstring>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "indexview/BoxLines.h"
#include "indexview/IndexView.h"
#include "inspector/InspectorText.h"
#include "inspector/MoveLine.h"
#include "inspector/PickRay.h"
#include "octree/CollisionObject.h"
#include "simulation/SimulationState.h"

namespace {

using namespace boxlines;

// After the frame tick (100) and the overlay's update (200), before any
// redraw (10000).
const uint32_t sensorPriority = 210;
// The chase view's place: this far behind the craft and above it (up is -y).
const float chaseBehind = 4.0f;
const float chaseAbove = 1.5f;
// Below this speed a craft keeps the heading it last had.
const float headingSpeed = 1e-5f;

enum MoveBoxes { VISITED_BOXES, TESTED_BOXES, REFUSER_BOX, MOVE_PARTS };

// A group of boxes drawn in one colour and width; gives its nodes.
SoSeparator* newBoxPart(const SbColor& colour, float width, SoCoordinate3*& corners,
                        SoIndexedLineSet*& lines) {
    SoSeparator* boxes = new SoSeparator;
    SoDrawStyle* style = new SoDrawStyle;
    style->lineWidth = width;
    boxes->addChild(style);
    SoBaseColor* base = new SoBaseColor;
    base->rgb = colour;
    boxes->addChild(base);
    corners = newCoordinates();
    boxes->addChild(corners);
    lines = newLineSet();
    boxes->addChild(lines);
    return boxes;
}

// Text in screen space (-1..1 over the viewport), its first line's baseline
// at (x, y), over a dark panel reaching to (right, bottom).
SoSwitch* newTextPanel(SoText2* text, float x, float y, float right, float bottom) {
    SoSwitch* shown = new SoSwitch;
    shown->whichChild = SO_SWITCH_NONE;
    SoSeparator* part = new SoSeparator;
    shown->addChild(part);
    SoOrthographicCamera* screen = new SoOrthographicCamera;
    screen->viewportMapping = SoCamera::LEAVE_ALONE;
    screen->position.setValue(0, 0, 5);
    screen->height = 2;
    part->addChild(screen);

    SoBaseColor* dark = new SoBaseColor;
    dark->rgb.setValue(0.08f, 0.08f, 0.12f);
    part->addChild(dark);
    SoCoordinate3* corners = new SoCoordinate3;
    const float top = y + 0.06f;
    const float left = x - 0.02f;
    corners->point.set1Value(0, SbVec3f(left, bottom, 0));
    corners->point.set1Value(1, SbVec3f(right, bottom, 0));
    corners->point.set1Value(2, SbVec3f(right, top, 0));
    corners->point.set1Value(3, SbVec3f(left, top, 0));
    part->addChild(corners);
    part->addChild(new SoFaceSet);

    SoBaseColor* colour = new SoBaseColor;
    colour->rgb.setValue(1, 1, 1);
    part->addChild(colour);
    SoFont* font = new SoFont;
    font->size = 12;
    part->addChild(font);
    SoTranslation* at = new SoTranslation;
    at->translation.setValue(x, y, 0);
    part->addChild(at);
    part->addChild(text);
    return shown;
}

int craftCount() {
    return cityBuilder.flyingObjects.getLength();
}

}  // namespace

const SbColor Inspector::selectedColour(1.0f, 1.0f, 1.0f);   // white
const SbColor Inspector::visitedColour(0.55f, 0.55f, 0.6f);  // grey
const SbColor Inspector::testedColour(0.0f, 0.0f, 0.0f);     // black

Inspector::Inspector(Session& session, SoSeparator* root, const IndexView* overlay)
    : session(session), root(root), overlay(overlay), chaseDirection(0, 0, 1) {
    root->ref();
}

Inspector::~Inspector() {
    watch(false);
    delete sensor;
    if (chaseSwitch) {
        chaseSwitch->unref();
    }
    if (part) {
        part->unref();
    }
    root->unref();
}

bool Inspector::handleEvent(const SoEvent* event, const SbViewportRegion& viewport) {
    if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::TAB)) {
        select(nextMover(selection, craftCount(), event->wasShiftDown() ? -1 : 1));
        return false;
    }
    if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::F)) {
        setChase(!chaseOn);
        return true;
    }
    if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::H)) {
        setHelp(!helpOn);
        return true;
    }
    if (SoKeyboardEvent::isKeyReleaseEvent(event, SoKeyboardEvent::F) ||
        SoKeyboardEvent::isKeyReleaseEvent(event, SoKeyboardEvent::H)) {
        return true;
    }
    if (SoMouseButtonEvent::isButtonPressEvent(event, SoMouseButtonEvent::BUTTON1)) {
        const SoPerspectiveCamera* shown = shownCamera();
        if (!shown) {
            return false;
        }
        const SbLine ray =
            pickRay(shownViewVolume(*shown, viewport), event->getNormalizedPosition(viewport));
        const int craft = pickCraft(ray, cityBuilder.flyingObjects);
        if (craft < 0) {
            return false;  // empty sky: nothing changes
        }
        select(craft);
        return true;
    }
    return false;
}

const SoPerspectiveCamera* Inspector::shownCamera() const {
    return chaseOn ? chaseCamera : camera;
}

void Inspector::select(int mover) {
    if (mover != cameraMover &&
        (mover < 0 || mover >= craftCount() || !cityBuilder.flyingObjects[mover])) {
        return;
    }
    if (!refusers.built()) {
        // Once, when the first mover is selected.
        refusers.build(cityBuilder.flyingObjects, cityBuilder.grid);
    }
    if (mover != selection) {
        last = LastMove();
        ++moveCount;
    }
    selection = mover;
    selectedOwner = mover >= 0 ? cityBuilder.flyingObjects[mover]->owner : nullptr;
    if (mover == cameraMover) {
        setChase(false);
    }
    watch(true);
    makeScene();
    startUpdates();
}

void Inspector::setHelp(bool on) {
    helpOn = on;
    if (on) {
        makeScene();
    }
    if (helpSwitch) {
        helpSwitch->whichChild = on ? 0 : SO_SWITCH_NONE;
    }
    startUpdates();
}

void Inspector::setChase(bool on) {
    if (on && selection < 0) {
        return;  // only a craft is chased
    }
    chaseOn = on;
    if (on) {
        makeScene();
        // The direction of view the camera had, level, until the craft moves.
        SbVec3f level(viewDirection[0], 0, viewDirection[2]);
        chaseDirection = level.normalize() > 0 ? level : SbVec3f(0, 0, 1);
        chaseCamera->heightAngle = camera->heightAngle.getValue();
        chaseCamera->nearDistance = camera->nearDistance.getValue();
        chaseCamera->farDistance = camera->farDistance.getValue();
        updateChase();
    }
    if (chaseSwitch) {
        chaseSwitch->whichChild = on ? 0 : SO_SWITCH_NONE;
    }
    startUpdates();
}

bool Inspector::inUse() const {
    return selection != noMover || helpOn;
}

void Inspector::watch(bool on) {
    session.setWatching(this, on);
}

void Inspector::startUpdates() {
    if (!sensor) {
        sensor = new SoOneShotSensor(onSensor, this);
        sensor->setPriority(sensorPriority);
    }
    if (inUse()) {
        sensor->schedule();
    }
}

void Inspector::onSensor(void* inspector, SoSensor* sensor) {
    Inspector* self = static_cast<Inspector*>(inspector);
    self->update();
    if (self->inUse()) {
        static_cast<SoOneShotSensor*>(sensor)->schedule();
    }
}

void Inspector::makeScene() {
    if (part) {
        return;
    }
    // The chase camera comes right after the scene's camera and, while on,
    // takes over the view of everything drawn after it.
    chaseSwitch = new SoSwitch;
    chaseSwitch->ref();
    chaseSwitch->whichChild = SO_SWITCH_NONE;
    chaseCamera = new SoPerspectiveCamera;
    chaseSwitch->addChild(chaseCamera);
    const int cameraAt = camera ? root->findChild(camera) : -1;
    root->insertChild(chaseSwitch, cameraAt + 1);

    part = new SoSeparator;
    part->ref();
    SoAnnotation* over = new SoAnnotation;
    part->addChild(over);
    over->addChild(new SoResetTransform);
    over->addChild(new SoTexture2);  // no image: no texture
    SoLightModel* unlit = new SoLightModel;
    unlit->model = SoLightModel::BASE_COLOR;
    over->addChild(unlit);

    moveSwitch = new SoSwitch;
    moveSwitch->whichChild = SO_SWITCH_NONE;
    SoSeparator* moveBoxes = new SoSeparator;
    moveSwitch->addChild(moveBoxes);
    moveBoxes->addChild(
        newBoxPart(visitedColour, 2, moveCorners[VISITED_BOXES], moveLines[VISITED_BOXES]));
    moveBoxes->addChild(
        newBoxPart(testedColour, 2, moveCorners[TESTED_BOXES], moveLines[TESTED_BOXES]));
    moveBoxes->addChild(
        newBoxPart(IndexView::refusedColour, 4, moveCorners[REFUSER_BOX], moveLines[REFUSER_BOX]));
    over->addChild(moveSwitch);
    // The outline over the move's boxes, which often share its edges.
    outlineSwitch = new SoSwitch;
    outlineSwitch->whichChild = SO_SWITCH_NONE;
    outlineSwitch->addChild(newBoxPart(selectedColour, 3, outlineCorners, outlineLines));
    over->addChild(outlineSwitch);

    // The move panel at the lower left, the help panel from the top, left of
    // the graphs.
    panel = new SoText2;
    panelSwitch = newTextPanel(panel, -0.97f, -0.42f, -0.25f, -0.70f);
    over->addChild(panelSwitch);
    help = new SoText2;
    helpSwitch = newTextPanel(help, -0.45f, 0.80f, 0.86f, -0.02f);
    over->addChild(helpSwitch);
    root->addChild(part);
}

bool Inspector::watches(const FlyingObject* owner) const {
    return selection != noMover && owner == selectedOwner;
}

void Inspector::beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                           const CollisionObject& tried) {
    explain(index, filed, tried);
    last.triedBox = *tried.box;
    last.retold = false;
}

void Inspector::explain(const CollisionIndex& index, const CollisionObject& filed,
                        const CollisionObject& tried) {
    last.index = index.name();
    const bool withBoxes = overlay && overlay->isOn();
    last.explanation = MoveExplanation();
    index.explainMove(filed, tried, last.explanation, withBoxes);
    // The records' boxes are read now: a later move may free them.
    const CollisionObject& by = last.explanation.refusedBy;
    last.by = refusers.classify(by, cameraObject ? cameraObject->box : nullptr);
    last.refuserBox = by.box ? *by.box : SbBox3f();
    last.testedBoxes.clear();
    for (const CollisionObject& record : last.explanation.testedRecords) {
        if (record.box) {
            last.testedBoxes.push_back(*record.box);
        }
    }
}

void Inspector::retell() {
    if (!last.known || last.edge || !session.paused || !session.indexes ||
        std::strcmp(session.index().name(), last.index) == 0) {
        return;
    }
    const CollisionObject* filed =
        selection >= 0 ? cityBuilder.flyingObjects[selection] : cameraObject;
    if (filed == nullptr || filed->box == nullptr) {
        return;
    }
    CollisionObject tried = *filed;
    tried.box = &last.triedBox;
    explain(session.index(), *filed, tried);
    last.refused = last.explanation.refused;
    last.retold = true;
    last.microseconds = 0;
    ++moveCount;
}

void Inspector::afterMove(const FlyingObject*, const CollisionObject&, bool refused, bool edge,
                          double microseconds) {
    if (edge) {
        // The region's edge refused it before any index was asked.
        last.index = session.indexes ? session.index().name() : "";
        last.explanation = MoveExplanation();
        last.by = Refuser();
        last.by.kind = REFUSER_EDGE;
        last.refuserBox = SbBox3f();
        last.testedBoxes.clear();
    } else if (!refused) {
        last.by = Refuser();
        last.refuserBox = SbBox3f();
    }
    last.known = true;
    last.edge = edge;
    last.refused = refused;
    last.microseconds = microseconds;
    ++moveCount;
    if (session.paused) {
        printMoveLine(stderr, toldMove());
    }
}

MoveLine Inspector::toldMove() const {
    MoveLine line;
    line.craft = selection >= 0 ? selection : -1;
    line.index = last.index;
    line.visited = last.explanation.visited;
    line.tested = last.explanation.tested;
    line.refused = last.refused;
    line.by = last.by;
    line.microseconds = last.microseconds;
    return line;
}

void Inspector::update() {
    if (!part) {
        return;
    }
    retell();
    updateChase();
    updateMarks();
    updatePanels();
}

void Inspector::updateChase() {
    if (!chaseOn || selection < 0) {
        return;
    }
    const FlyingObject& craft = *selectedOwner;
    const SbVec3f at(craft.currentPosition);
    SbVec3f heading(craft.velocity[0], 0, craft.velocity[2]);
    if (heading.length() > headingSpeed) {
        heading.normalize();
        chaseDirection = heading;
    }
    const SbVec3f up(0, -1, 0);
    chaseCamera->position = at - chaseDirection * chaseBehind + up * chaseAbove;
    chaseCamera->pointAt(at, up);
}

void Inspector::updateMarks() {
    // The camera is the eye: only a craft gets an outline.
    const CollisionObject* record = selection >= 0 ? cityBuilder.flyingObjects[selection] : nullptr;
    if (record && record->box) {
        if (outlineSwitch->whichChild.getValue() == SO_SWITCH_NONE ||
            !(outlineShown == *record->box)) {
            outlineShown = *record->box;
            showBoxes(outlineCorners, outlineLines, {outlineShown});
            outlineSwitch->whichChild = 0;
        }
    } else if (outlineSwitch->whichChild.getValue() != SO_SWITCH_NONE) {
        outlineSwitch->whichChild = SO_SWITCH_NONE;
    }

    const bool movesShown = selection != noMover && last.known && overlay && overlay->isOn();
    if (movesShown != (moveSwitch->whichChild.getValue() == 0)) {
        moveSwitch->whichChild = movesShown ? 0 : SO_SWITCH_NONE;
        moveCountDrawn = ~0ul;
    }
    if (movesShown && moveCountDrawn != moveCount) {
        moveCountDrawn = moveCount;
        showBoxes(moveCorners[VISITED_BOXES], moveLines[VISITED_BOXES],
                  last.explanation.visitedBoxes);
        showBoxes(moveCorners[TESTED_BOXES], moveLines[TESTED_BOXES], last.testedBoxes);
        std::vector<SbBox3f> refuser;
        if (last.refused && !last.refuserBox.isEmpty()) {
            refuser.push_back(last.refuserBox);
        }
        showBoxes(moveCorners[REFUSER_BOX], moveLines[REFUSER_BOX], refuser);
    }
}

void Inspector::updatePanels() {
    std::vector<std::string> lines;
    if (selection != noMover) {
        PanelFacts facts;
        facts.mover = selection;
        facts.moveKnown = last.known;
        facts.move = toldMove();
        facts.retold = last.retold;
        facts.physics = physicsEnabled;
        if (selection >= 0) {
            facts.position = SbVec3f(selectedOwner->currentPosition);
            facts.speed = selectedOwner->velocity.length();
        } else {
            facts.position = camera->position.getValue();
            facts.speed = cameraVelocity.length();
        }
        lines = panelLines(facts);
    }
    if (lines != panelText) {
        panelText = lines;
        setLines(panel, panelText);
        panelSwitch->whichChild = panelText.empty() ? SO_SWITCH_NONE : 0;
    }

    lines.clear();
    if (helpOn) {
        HelpFacts facts;
        facts.physics = physicsEnabled;
        facts.paused = session.paused;
        facts.index = session.indexes ? session.index().name() : "";
        facts.mover = selection;
        facts.chasing = chaseOn;
        facts.overlay = overlay && overlay->isOn();
        lines = helpLines(facts);
    }
    if (lines != helpText) {
        helpText = lines;
        setLines(help, helpText);
    }
}

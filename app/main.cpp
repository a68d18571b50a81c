#include <Inventor/SbBox3f.h>
#include <Inventor/SbTime.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/FrameTick.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "app/MachineLine.h"
#include "app/StandardStreams.h"
#include "city/DataFiles.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "octreeview/OctTreeView.h"
#include "options/Options.h"
#include "perfgraph/SoPerfGraph.h"
#include "simulation/Motion.h"
#include "simulation/SimulationState.h"
#include "sowin/SoWin.h"
#include "sowin/SoWinRenderArea.h"

namespace {

char soundSetting[] = "COIN_SOUND_ENABLE=0";

const char* const helpText[] = {
    "Diplomovy projekt Brennoc \n \n \n",
    "Ovladani:\n \n",
    "Sipka nahoru  - Otoceni kamery smerem dolu \n",
    "Sipka dolu    - Otoceni kamery smerem nahoru \n",
    "Sipka doleva  - Otoceni kamery v mat.kladnem smeru kolem smeru pohledu kamery \n",
    "Sipka doprava - Otoceni kamery v mat.zapornem smeru kolem smeru pohledu kamery \n",
    "q             - Otoceni kamery smerem doleva \n",
    "w             - Otoceni kamery smerem doprava \n",
    "a             - Posun kamery dopredu \n",
    "z             - Posun kamery dozadu \n",
    "e             - Zapnuti fyzikalniho modelu, pohybu objektu a detekce kolizi \n",
    "r             - Vypnuti fyzikalniho modelu, pohybu objektu a detekce kolizi \n \n \n",
    "Grafy: \n \n",
    "Vrchni graf   - Udava prumerny pocet snimku za sekundu (FPS) \n",
    "Spodni graf   - Vypisuje narocnost detekce kolizi v mikrosekundach \n \n \n",
    "                                                         Vypracoval Quorrin",
};

SoPerfGraph* newGraph(float positionY) {
    SoPerfGraph* graph = new SoPerfGraph;
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->horAlignment.setValue(SoPerfGraph::RIGHT);
    graph->position.setValue(-0.03f, positionY);
    graph->size.setValue(0.23f, 0.11f);
    return graph;
}

// With BRENNOC_FRAME_STATS set, the process reports at its end (also when
// Escape ends it) how the loop ran: its passes, ticks and redraws; its frames
// per second (ticks over the seconds since the loop started); the physics
// steps, their frames per second (from the first step to the last), their
// mean cost in microseconds, the part of it spent inside octree calls, and the
// mean of the samples the lower graph was given.
bool frameStatsWanted() {
    return std::getenv("BRENNOC_FRAME_STATS") != nullptr;
}

SbTime loopStart, firstPhysicsStep, lastPhysicsStep;
unsigned long physicsSteps = 0;
double physicsMicroseconds = 0;

void countPhysicsStep(float microseconds) {
    lastPhysicsStep = SbTime::getTimeOfDay();
    if (physicsSteps++ == 0) {
        firstPhysicsStep = lastPhysicsStep;
    }
    physicsMicroseconds += microseconds;
    feedCostGraph(microseconds);
}

double perSecond(unsigned long count, const SbTime& from, const SbTime& to) {
    const double seconds = (to - from).getValue();
    return seconds > 0 ? count / seconds : 0;
}

void reportFrameStats() {
    const unsigned long ticks = frameTickCount();
    printMachineLine(
        stderr,
        "\nframe stats: passes %lu ticks %lu redraws %lu fps %.2f"
        " physics-steps %lu physics-fps %.2f physics-us %.1f octree-us %.1f graph-us %.1f\n",
        SoWin::passCount(), ticks, SoWin::redrawCount(),
        perSecond(ticks, loopStart, SbTime::getTimeOfDay()), physicsSteps,
        perSecond(physicsSteps > 0 ? physicsSteps - 1 : 0, firstPhysicsStep, lastPhysicsStep),
        physicsSteps > 0 ? physicsMicroseconds / physicsSteps : 0.0,
        physicsSteps > 0 ? octreeMicroseconds / physicsSteps : 0.0,
        physicsSteps > 0 ? costGraphMicroseconds / physicsSteps : 0.0);
}

// Key O switches the octree overlay. The scene's keyboard callback takes every
// key event, so the render area hands events here first. The overlay watches
// the moves only while it is on.
SbBool octreeOverlayKey(void* data, const SoEvent* event) {
    OctTreeView* overlay = static_cast<OctTreeView*>(data);
    if (!overlay->handleEvent(event)) {
        return FALSE;
    }
    moveObserver = overlay->isOn() ? OctTreeView::observeMove : nullptr;
    moveObserverData = overlay;
    return TRUE;
}

// While the window is unmapped the main loop neither ticks nor draws; the
// pause is not integrated as one step when it carries on.
void onVisibilityChange(void*, SbBool visible) {
    if (visible) {
        restartFrameTick();
    }
}

// Keys held when the window loses the focus are released elsewhere.
void onFocusOut(void*) {
    releaseHeldKeys();
}

}  // namespace

int main(int argc, char** argv) {
    prepareStandardStreams();
    // The command line is read before anything needs a display.
    Options options;
    std::string problem;
    switch (parseOptions(argc, argv, options, problem)) {
        case OptionsAction::showHelp:
            if (std::fputs(usageText(), stdout) == EOF || std::fflush(stdout) != 0) {
                std::fprintf(stderr, "brennoc: the help could not be written: %s\n",
                             std::strerror(errno));
                return 1;
            }
            return 0;
        case OptionsAction::fail:
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        case OptionsAction::run:
            break;
    }

    putenv(soundSetting);
    // Before the window layer adds its own image reader, so that every image
    // goes through the program's checks and cache first.
    installImageReader();
    checkDataFolder();

    QWidget* mainWindow = SoWin::init(argv[0], "SoWin");
    if (!mainWindow) {
        std::exit(1);
    }

    gravity.setValue(0, 0.00015f, 0);

    SoSeparator* sceneRoot = new SoSeparator;
    sceneRoot->ref();

    octree = new OctTree(SbBox3f(-60, -110, -60, 60, 10, 60));

    viewDirection.setValue(0, 0, 1);
    upDirection.setValue(0, -1, 0);
    rightDirection.setValue(1, 0, 0);

    camera = new SoPerspectiveCamera;
    camera->farDistance = 2048;
    camera->nearDistance = 0.05f;
    camera->position.setValue(1.5f, -3, 1.5f);
    camera->pointAt(camera->position.getValue() + viewDirection, upDirection);
    sceneRoot->addChild(camera);

    SbBox3f* cameraBox = new SbBox3f(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f);
    cameraObject = new CollisionObject(1.5f, -3, 1.5f, cameraBox);
    octree->insert(*cameraObject);

    turnWeight = 1.0f;
    turnInertia = 25.132741f;

    cityBuilder.buildEnvironment(sceneRoot, *octree);
    cityBuilder.seed = options.seed;
    cityBuilder.generateCity(*octree);
    cityBuilder.createFlyingObjects(2, options.craft, sceneRoot, *octree);
    cityBuilder.addCityToScene(sceneRoot);

    tickSensor = new SoOneShotSensor(frameTick, nullptr);
    tickSensor->schedule();

    SoEventCallback* keyboard = new SoEventCallback;
    keyboard->addEventCallback(SoKeyboardEvent::getClassTypeId(), onKeyboardEvent, sceneRoot);
    sceneRoot->insertChild(keyboard, 0);

    SoPerfGraph::initClass();
    costGraph = newGraph(0.03f);
    sceneRoot->insertChild(costGraph, 0);
    fpsGraph = newGraph(0.16f);
    sceneRoot->insertChild(fpsGraph, 0);

    OctTreeView* octreeOverlay = new OctTreeView(octree);
    octreeOverlay->seed = cityBuilder.seed;
    sceneRoot->addChild(octreeOverlay->getSceneGraph());

    for (const char* line : helpText) {
        std::printf("%s", line);
    }

    SoWinRenderArea* renderArea = new SoWinRenderArea(mainWindow, nullptr, TRUE, TRUE, TRUE);
    renderArea->setSceneGraph(sceneRoot);
    renderArea->setEventFilter(octreeOverlayKey, octreeOverlay);
    renderArea->setFocusOutCallback(onFocusOut, nullptr);
    renderArea->setTitle("Brennoc");
    renderArea->show();
    SoWin::show(mainWindow);
    SoWin::setVisibilityCallback(onVisibilityChange, nullptr);

    if (options.octreeCost) {
        octreeTiming = true;
        graphOctreeShare = true;
    }
    if (frameStatsWanted()) {
        costSink = countPhysicsStep;
        octreeTiming = true;
        std::atexit(reportFrameStats);
    }
    loopStart = SbTime::getTimeOfDay();
    SoWin::mainLoop();

    releaseFlyingObjectRecords();
    delete renderArea;
    moveObserver = nullptr;
    delete octreeOverlay;
    sceneRoot->unref();
    return 0;
}

#include <Inventor/SbBox3f.h>
#include <Inventor/SbTime.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/FrameTick.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/DataFiles.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "octreeview/OctTreeView.h"
#include "options/Options.h"
#include "perfgraph/SoPerfGraph.h"
#include "simulation/Session.h"
#include "sowin/SoWin.h"
#include "sowin/SoWinRenderArea.h"
#include "spatialindex/OctTreeIndex.h"

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

// The frame statistics: how the loop ran (its passes, ticks and redraws; its
// frames per second, ticks over the seconds since the loop started) and the
// physics steps (their count, their frames per second from the first step to
// the last, their mean cost in microseconds, the part of it spent inside index
// calls, and the mean of the samples the lower graph was given).
double perSecond(unsigned long count, const SbTime& from, const SbTime& to) {
    const double seconds = (to - from).getValue();
    return seconds > 0 ? count / seconds : 0;
}

void reportFrameStats(const Session& session) {
    const unsigned long steps = session.physicsSteps;
    std::fprintf(
        stderr,
        "\nframe stats: passes %lu ticks %lu redraws %lu fps %.2f"
        " physics-steps %lu physics-fps %.2f physics-us %.1f octree-us %.1f graph-us %.1f\n",
        SoWin::passCount(), session.ticks, SoWin::redrawCount(),
        perSecond(session.ticks, session.loopStart, SbTime::getTimeOfDay()), steps,
        perSecond(steps > 0 ? steps - 1 : 0, session.firstPhysicsStep, session.lastPhysicsStep),
        steps > 0 ? session.physicsMicroseconds / steps : 0.0,
        steps > 0 ? session.indexMicroseconds / steps : 0.0,
        steps > 0 ? session.graphMicroseconds / steps : 0.0);
}

// What the render area's event filter needs: the overlay that key O switches,
// and the session whose move observer it sets.
struct KeyFilter {
    OctTreeView* overlay;
    Session* session;
};

// Key O switches the octree overlay. The scene's keyboard callback takes every
// key event, so the render area hands events here first. The overlay watches
// the moves only while it is on.
SbBool octreeOverlayKey(void* data, const SoEvent* event) {
    KeyFilter* filter = static_cast<KeyFilter*>(data);
    OctTreeView* overlay = filter->overlay;
    if (!overlay->handleEvent(event)) {
        return FALSE;
    }
    filter->session->moveObserver = overlay->isOn() ? OctTreeView::observeMove : nullptr;
    filter->session->moveObserverData = overlay;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is read before anything needs a display.
    Options options;
    std::string problem;
    switch (parseOptions(argc, argv, options, problem)) {
        case OptionsAction::showHelp:
            std::fputs(usageText(), stdout);
            return 0;
        case OptionsAction::fail:
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        case OptionsAction::run:
            break;
    }

    // The run's own state; static, so that the report at exit can read it.
    static Session session;
    session.frameStats = options.frameStats || std::getenv("BRENNOC_FRAME_STATS") != nullptr;
    session.cameraTrace = options.cameraTrace || std::getenv("BRENNOC_CAMERA_TRACE") != nullptr;

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
    OctTreeIndex octreeIndex(*octree);

    startCamera(sceneRoot, octreeIndex);

    turnWeight = 1.0f;
    turnInertia = 25.132741f;

    cityBuilder.buildEnvironment(sceneRoot, octreeIndex);
    cityBuilder.seed = options.seed;
    cityBuilder.generateCity(octreeIndex);
    cityBuilder.createFlyingObjects(2, options.craft, sceneRoot, octreeIndex);
    cityBuilder.addCityToScene(sceneRoot);

    tickSensor = new SoOneShotSensor(frameTick, &session);
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
    KeyFilter keyFilter{octreeOverlay, &session};
    renderArea->setEventFilter(octreeOverlayKey, &keyFilter);
    renderArea->setTitle("Brennoc");
    renderArea->show();
    SoWin::show(mainWindow);

    session.graphIndexShare = options.octreeCost;
    session.indexTiming = options.octreeCost || session.frameStats;
    if (session.frameStats) {
        // Also when Escape ends the process from inside the loop.
        std::atexit([] { reportFrameStats(session); });
    }
    session.loopStart = SbTime::getTimeOfDay();
    SoWin::mainLoop();

    releaseFlyingObjectRecords();
    delete renderArea;
    session.moveObserver = nullptr;
    delete octreeOverlay;
    sceneRoot->unref();
    return 0;
}

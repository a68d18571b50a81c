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
#include "app/HeatWatch.h"
#include "app/KeyStateTable.h"
#include "app/MachineLine.h"
#include "app/StandardStreams.h"
#include "city/DataFiles.h"
#include "indexview/IndexView.h"
#include "inspector/Inspector.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "options/Options.h"
#include "perfgraph/SoPerfGraph.h"
#include "replay/RecordingFile.h"
#include "replay/Replay.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "sowin/SoWin.h"
#include "sowin/SoWinRenderArea.h"
#include "spatialindex/IndexSet.h"
#include "world/BuildWorld.h"
#include "world/WorldConstants.h"

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
// frames per second, ticks over the seconds since the loop started), the
// physics steps (their count, their frames per second from the first step to
// the last, their mean cost in microseconds, the part of it spent inside index
// calls, and the mean of the samples the lower graph was given), the moves
// tried and the share accepted, and for each index the steps it was active
// and its mean cost over them: inside its calls and the whole step; last, the
// movers whose box lay outside the indexes' region at the end.
double perSecond(unsigned long count, const SbTime& from, const SbTime& to) {
    const double seconds = (to - from).getValue();
    return seconds > 0 ? count / seconds : 0;
}

double mean(double sum, unsigned long count) {
    return count > 0 ? sum / count : 0.0;
}

void reportFrameStats(const Session& session) {
    const unsigned long steps = session.physicsSteps;
    const unsigned long moves = session.movesTried;
    printMachineLine(
        stderr,
        "\nframe stats: passes %lu ticks %lu redraws %lu fps %.2f"
        " physics-steps %lu physics-fps %.2f physics-us %.1f index-us %.1f octree-us %.1f"
        " graph-us %.1f moves %lu accepted %.2f%%",
        SoWin::passCount(), session.ticks, SoWin::redrawCount(),
        perSecond(session.ticks, session.loopStart, SbTime::getTimeOfDay()), steps,
        perSecond(steps > 0 ? steps - 1 : 0, session.firstPhysicsStep, session.lastPhysicsStep),
        mean(session.physicsMicroseconds, steps), mean(session.indexMicroseconds, steps),
        mean(session.indexMicroseconds, steps), mean(session.graphMicroseconds, steps), moves,
        100 * mean(double(moves - session.movesRefused), moves));
    for (int number = 0; number < IndexSet::count; ++number) {
        const Session::IndexFigures& figures = session.perIndex[number];
        const char* name = session.indexes->at(number).name();
        printMachineLine(stderr, " %s-steps %lu %s-index-us %.1f %s-step-us %.1f", name,
                         figures.steps, name, mean(figures.indexMicroseconds, figures.steps), name,
                         mean(figures.physicsMicroseconds, figures.steps));
    }
    printMachineLine(stderr, " outside %lu", session.moversOutside);
    std::fputc('\n', stderr);
}

// The run's recorder (--record) or player (--replay), or neither.
Recorder* recorder = nullptr;
Player* player = nullptr;

// What the render area's event filter needs: the overlay that key O switches,
// the heat watch that follows key C, the inspector and the render area whose
// viewport its clicks are in, and the session whose move observer it sets and
// whose keys it passes on.
struct KeyFilter {
    IndexView* overlay;
    Inspector* inspector;
    SoWinRenderArea* renderArea;
    Session* session;
    HeatWatch* heatWatch;
};

// Keys outside the held-key table: O switches the overlay, C its heat
// colouring, I the index, P pauses and N steps; the inspector takes Tab (which
// goes on to the table too), F, H and the left click. The scene's keyboard
// callback takes every key event, so the render area hands events here first.
// The overlay watches the moves only while it is on.
SbBool runKey(void* data, const SoEvent* event) {
    if (player) {
        // A replay takes its keys from the recording: the user's only end it.
        if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::ESCAPE)) {
            player->endNow();
        }
        return TRUE;
    }
    if (recorder) {
        recorder->keyEvent(event);
    }
    KeyFilter* filter = static_cast<KeyFilter*>(data);
    IndexView* overlay = filter->overlay;
    Session& session = *filter->session;
    if (overlay->handleEvent(event)) {
        session.moveObserver = overlay->isOn() ? IndexView::observeMove : nullptr;
        session.moveObserverData = overlay;
        filter->heatWatch->follow(session);
        return TRUE;
    }
    if (filter->inspector->handleEvent(event, filter->renderArea->getViewportRegion())) {
        return TRUE;
    }
    return session.handleKey(event) ? TRUE : FALSE;
}

// While the window is unmapped the main loop neither ticks nor draws; the
// pause is not integrated as one step when it carries on.
void onVisibilityChange(void*, SbBool visible) {
    if (recorder) {
        recorder->visibilityChanged(visible);
    }
    if (visible) {
        restartFrameTick();
    }
}

// Keys held when the window loses the focus are released elsewhere.
// A replay's keys are the recording's, released where it released them.
void onFocusOut(void*) {
    if (player) {
        return;
    }
    if (recorder) {
        recorder->focusLost();
    }
    releaseHeldKeys();
}

// The recording replayed, checked against the data files read now; false
// after one line on standard error.
bool readReplay(const std::string& path, recording::Recording& replayed) {
    std::string problem;
    if (!readRecordingFile(path, replayed, problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return false;
    }
    if (replayed.header.dataHash != dataFilesHash()) {
        std::fprintf(stderr,
                     "brennoc: %s: recorded with other city description files than "
                     "Building/ holds here\n",
                     path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    prepareStandardStreams();
    // The command line is read before anything needs a display.
    Options options;
    std::string problem;
    const OptionsAction action = parseOptions(argc, argv, options, problem);
    switch (action) {
        case OPTIONS_SHOW_HELP:
        case OPTIONS_SHOW_VERSION:
            if (std::fputs(action == OPTIONS_SHOW_HELP ? usageText() : versionText(), stdout) ==
                    EOF ||
                std::fflush(stdout) != 0) {
                std::fprintf(stderr, "brennoc: the %s could not be written: %s\n",
                             action == OPTIONS_SHOW_HELP ? "help" : "version",
                             std::strerror(errno));
                return 1;
            }
            return 0;
        case OPTIONS_FAIL:
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        case OPTIONS_RUN:
            break;
    }

    // A recording is read whole, and the file to record into made, before
    // anything else happens.
    static recording::Recording replayed;
    if (!options.replayFile.empty()) {
        if (!readReplay(options.replayFile, replayed)) {
            return 2;
        }
        options.seed = replayed.header.seed;
        options.craft = replayed.header.craft;
        options.index = options.indexGiven ? options.index : replayed.header.index;
    }
    static RecordingWriter writer;
    if (!options.recordFile.empty()) {
        std::string problem;
        if (!writer.open(options.recordFile, problem)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        }
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

    if (options.noWindow) {
        return replayWithoutWindow(replayed, options.index, session, options.replayRealSpeed);
    }

    QWidget* mainWindow = SoWin::init(argv[0], "SoWin");
    if (!mainWindow) {
        std::exit(1);
    }

    gravity.setValue(0, 0.00015f, 0);

    SoSeparator* sceneRoot = new SoSeparator;
    sceneRoot->ref();

    octree = new OctTree(worldRegion());
    // Everything is filed in the index the run starts with. Like the octree,
    // the indexes live to the end of the process: the boxes of the streets
    // and buildings are theirs to hold.
    IndexSet& indexes = *new IndexSet(*octree);
    indexes.choose(options.index);
    session.indexes = &indexes;

    buildWorld(sceneRoot, indexes, options.seed, options.craft);
    cityBuilder.addCityToScene(sceneRoot);

    static Recorder recording(writer, session);
    static Player replay(replayed, session, options.replayRealSpeed);
    if (!options.recordFile.empty()) {
        recording::Header header;
        header.seed = cityBuilder.seed;
        header.craft = options.craft;
        header.index = options.index;
        header.dataHash = dataFilesHash();
        writer.start(header);
        session.exitCode = writer.failed() ? 1 : 0;
        recorder = &recording;
        tickDriver = recorder;
    } else if (!options.replayFile.empty()) {
        player = &replay;
        tickDriver = player;
    }

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

    IndexView* overlay = new IndexView(&indexes);
    overlay->seed = cityBuilder.seed;
    sceneRoot->addChild(overlay->getSceneGraph());
    // Adds its nodes and watches moves only once first used.
    Inspector* inspector = new Inspector(session, sceneRoot, overlay);

    for (const char* line : helpText) {
        std::printf("%s", line);
    }

    SoWinRenderArea* renderArea = new SoWinRenderArea(mainWindow, nullptr, TRUE, TRUE, TRUE);
    renderArea->setSceneGraph(sceneRoot);
    HeatWatch heatWatch(*overlay);
    KeyFilter keyFilter{overlay, inspector, renderArea, &session, &heatWatch};
    renderArea->setEventFilter(runKey, &keyFilter);
    renderArea->setFocusOutCallback(onFocusOut, nullptr);
    renderArea->setTitle("Brennoc");
    renderArea->show();
    SoWin::show(mainWindow);
    SoWin::setVisibilityCallback(onVisibilityChange, nullptr);

    session.indexCost = options.indexCost;
    session.indexTiming = options.indexCost || session.frameStats;
    if (session.frameStats) {
        // Also when Escape ends the process from inside the loop.
        std::atexit([] { reportFrameStats(session); });
    }
    session.loopStart = SbTime::getTimeOfDay();
    SoWin::mainLoop();

    countMoversOutside(session);
    if (player) {
        player->reportCamera();
        player->printLine(true, -1);
    }
    if (recorder) {
        writer.flush();
        session.exitCode = writer.failed() ? 1 : session.exitCode;
    }
    releaseFlyingObjectRecords();
    delete renderArea;
    session.moveObserver = nullptr;
    delete inspector;
    session.moveWatchers.clear();
    delete overlay;
    sceneRoot->unref();
    return session.exitCode;
}

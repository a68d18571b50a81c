// Makes a recording from a script instead of a window: the world the program
// builds, the keys and intervals the script names, each step the program's
// own, written by the program's recorder. For the short recordings under
// tests/data/ (tests/data/make-recordings.sh).
//
// Script lines ('#' starts a comment):
//   seed N | craft N | index octree|dbvt|flat   (before the first event)
//   press KEY | release KEY | tap KEY            (a key: e r a z q w i p n o up down left right)
//   focus-lost
//   tick SECONDS [COUNT]                         (COUNT passes of the loop, each SECONDS long)
// Run in the data folder: script_recording SCRIPT OUT

#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoSeparator.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/DataFiles.h"
#include "octree/OctTree.h"
#include "replay/RecordingFile.h"
#include "replay/Replay.h"
#include "simulation/Session.h"
#include "simulation/Simulation.h"
#include "spatialindex/IndexSet.h"
#include "world/BuildWorld.h"
#include "world/WorldConstants.h"

namespace {

const std::map<std::string, SoKeyboardEvent::Key> keyNames = {
    {"e", SoKeyboardEvent::E},
    {"r", SoKeyboardEvent::R},
    {"a", SoKeyboardEvent::A},
    {"z", SoKeyboardEvent::Z},
    {"q", SoKeyboardEvent::Q},
    {"w", SoKeyboardEvent::W},
    {"i", SoKeyboardEvent::I},
    {"p", SoKeyboardEvent::P},
    {"n", SoKeyboardEvent::N},
    {"o", SoKeyboardEvent::O},
    {"up", SoKeyboardEvent::UP_ARROW},
    {"down", SoKeyboardEvent::DOWN_ARROW},
    {"left", SoKeyboardEvent::LEFT_ARROW},
    {"right", SoKeyboardEvent::RIGHT_ARROW},
};

int failWith(const std::string& line) {
    std::fprintf(stderr, "script_recording: %s\n", line.c_str());
    return 2;
}

struct Run {
    Session session;
    RecordingWriter writer;
    Recorder recorder{writer, session};
    SoSeparator* root = nullptr;
    bool started = false;
    recording::Header header;

    void start() {
        SoDB::init();
        installDataFileResolver();
        root = new SoSeparator;
        root->ref();
        octree = new OctTree(worldRegion());
        IndexSet& indexes = *new IndexSet(*octree);
        indexes.choose(header.index);
        session.indexes = &indexes;
        buildWorld(root, indexes, header.seed, header.craft);
        header.dataHash = dataFilesHash();
        writer.start(header);
        started = true;
    }

    // As the render area hands a key on, recorded first.
    void key(SoKeyboardEvent::Key key, bool pressed) {
        SoKeyboardEvent event;
        event.setKey(key);
        event.setState(pressed ? SoButtonEvent::DOWN : SoButtonEvent::UP);
        recorder.keyEvent(&event);
        if (!session.handleKey(&event)) {
            applyKeyEvent(&event);
        }
    }

    void tick(double seconds) {
        SbTime interval(seconds);
        recorder.beforeStep(interval);
        ++session.ticks;
        simulationStep(interval, session);
        recorder.afterStep(interval);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return failWith("usage: script_recording SCRIPT OUT (in the data folder)");
    }
    std::ifstream script(argv[1]);
    if (!script) {
        return failWith(std::string(argv[1]) + ": cannot be read");
    }
    Run run;
    std::string problem;
    if (!run.writer.open(argv[2], problem)) {
        return failWith(problem);
    }
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string word, argument;
        if (!(words >> word)) {
            continue;
        }
        words >> argument;
        const std::string where = std::string(argv[1]) + ":" + std::to_string(number) + ": ";
        if (word == "seed" || word == "craft" || word == "index") {
            if (run.started) {
                return failWith(where + word + " after the first event");
            }
            if (word == "seed") {
                run.header.seed = std::stoi(argument);
            } else if (word == "craft") {
                run.header.craft = std::stoi(argument);
            } else if ((run.header.index = IndexSet::find(argument.c_str())) < 0) {
                return failWith(where + "no index " + argument);
            }
            continue;
        }
        if (!run.started) {
            run.start();
        }
        if (word == "press" || word == "release" || word == "tap") {
            const auto key = keyNames.find(argument);
            if (key == keyNames.end()) {
                return failWith(where + "no key " + argument);
            }
            if (word != "release") {
                run.key(key->second, true);
            }
            if (word != "press") {
                run.key(key->second, false);
            }
        } else if (word == "focus-lost") {
            run.recorder.focusLost();
            releaseHeldKeys();
        } else if (word == "tick") {
            int count = 1;
            words >> count;
            for (int i = 0; i < count; ++i) {
                run.tick(std::stod(argument));
            }
        } else {
            return failWith(where + "unknown line '" + line + "'");
        }
    }
    if (!run.started) {
        run.start();
    }
    run.writer.flush();
    std::printf("%s: %lu physics steps, state %016llx\n", argv[2], run.session.physicsSteps,
                static_cast<unsigned long long>(worldStateHash()));
    return run.writer.failed() ? 1 : 0;
}

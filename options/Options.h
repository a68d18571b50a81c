#pragma once

#include <string>

// What the command line asks for. The defaults are the program's behaviour
// without options.
struct Options {
    // Seed of the city and the craft; -1 draws it from the process id.
    int seed = -1;
    // Flying craft to release.
    int craft = 10;
    // The lower graph shows only the time spent inside collision-index calls
    // (--index-cost, or by its first name --octree-cost).
    bool indexCost = false;
    // The collision index the run starts with, numbered as in IndexSet.
    int index = 0;
    // Diagnostics on standard error: how the run went, printed at its end,
    // and where the camera ended when Escape ends it.
    bool frameStats = false;
    bool cameraTrace = false;

    // Record and replay: the file a run is recorded into (--record), or the
    // recording replayed (--replay), without a window (--no-window), at the
    // recorded pace instead of as fast as it can (--replay-speed real).
    std::string recordFile;
    std::string replayFile;
    bool noWindow = false;
    bool replayRealSpeed = false;
    // Whether --index was given: with --replay it overrides the recording's.
    bool indexGiven = false;
};

enum OptionsAction {
    OPTIONS_RUN,           // start the program with the options read
    OPTIONS_SHOW_HELP,     // print usageText() and end with 0
    OPTIONS_SHOW_VERSION,  // print versionText() and end with 0
    OPTIONS_FAIL,          // print the message and end with 2
};

const int maxSeed = 2147483647;
const int maxCraft = 100000;

// Reads argv with getopt_long. On fail, message holds one line (no line feed)
// naming the offending argument and pointing at --help. May be called more
// than once in a process.
OptionsAction parseOptions(int argc, char** argv, Options& options, std::string& message);

// The English usage text: options, keys and the two graphs.
const char* usageText();

// "brennoc <version>" and a line feed, the project's version from CMake.
const char* versionText();

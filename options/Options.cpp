#include "options/Options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "spatialindex/IndexSet.h"

namespace {

const char* const programName = "brennoc";

// One option a line; clang-format would pack a table this long into columns.
// clang-format off
const option longOptions[] = {
    {"seed", required_argument, nullptr, 's'},
    {"craft", required_argument, nullptr, 'c'},
    {"octree-cost", no_argument, nullptr, 'o'},
    {"index-cost", no_argument, nullptr, 'o'},
    {"index", required_argument, nullptr, 'i'},
    {"frame-stats", no_argument, nullptr, 'f'},
    {"camera-trace", no_argument, nullptr, 't'},
    {"record", required_argument, nullptr, 'R'},
    {"replay", required_argument, nullptr, 'P'},
    {"no-window", no_argument, nullptr, 'W'},
    {"replay-speed", required_argument, nullptr, 'S'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};
// clang-format on

// '+': stop at the first non-option instead of moving it to the end, so that
// the argument getopt is looking at is always argv[optind] before the call.
// ':': report a missing value apart from an unknown option, and print nothing.
const char* const shortOptions = "+:h";

std::string failure(const std::string& what) {
    return std::string(programName) + ": " + what + "; see '" + programName + " --help'";
}

// The option as the user wrote it: "--name" without any "=value", or "-x".
std::string spelledOption(const char* argument, int shortName) {
    if (std::strncmp(argument, "--", 2) == 0) {
        const char* end = std::strchr(argument, '=');
        return end ? std::string(argument, end) : std::string(argument);
    }
    return std::string("-") + static_cast<char>(shortName);
}

// A whole number from 0 to max, written in decimal digits only (an optional
// minus sign is read so that a negative value is reported as out of range).
bool readNumber(const char* name, const char* text, int max, int& value, std::string& message) {
    const char* digits = text[0] == '-' ? text + 1 : text;
    const bool wellFormed =
        digits[0] != '\0' && std::strspn(digits, "0123456789") == std::strlen(digits);
    if (!wellFormed) {
        message = failure(std::string(name) + " takes a whole number, not '" + text + "'");
        return false;
    }
    errno = 0;
    const long long number = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || number < 0 || number > max) {
        message = failure(std::string(name) + " must be from 0 to " + std::to_string(max) +
                          ", not '" + text + "'");
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

// The combinations of the record and replay options that make no run.
bool checkReplayOptions(const Options& options, bool seedOrCraft, bool speedGiven,
                        std::string& message) {
    const bool replay = !options.replayFile.empty();
    if (!options.recordFile.empty() && replay) {
        message = failure("--record and --replay cannot be used together");
    } else if (options.noWindow && !replay) {
        message = failure("--no-window needs --replay");
    } else if (speedGiven && !replay) {
        message = failure("--replay-speed needs --replay");
    } else if (seedOrCraft && replay) {
        message = failure("--seed and --craft come from the recording with --replay");
    } else {
        return true;
    }
    return false;
}

// A file name given to --record or --replay: not empty.
bool readFileName(const char* name, const char* text, std::string& value, std::string& message) {
    if (text[0] == '\0') {
        message = failure(std::string(name) + " needs a file name");
        return false;
    }
    value = text;
    return true;
}

}  // namespace

OptionsAction parseOptions(int argc, char** argv, Options& options, std::string& message) {
    optind = 0;  // glibc: start afresh, also after an earlier parse
    opterr = 0;
    bool seedOrCraft = false;
    bool speedGiven = false;
    for (;;) {
        const int at = optind == 0 ? 1 : optind;
        const int found = getopt_long(argc, argv, shortOptions, longOptions, nullptr);
        if (found == -1) {
            break;
        }
        const char* argument = at < argc ? argv[at] : "";
        switch (found) {
            case 'h':
                return OPTIONS_SHOW_HELP;
            case 'V':
                return OPTIONS_SHOW_VERSION;
            case 's':
                if (!readNumber("--seed", optarg, maxSeed, options.seed, message)) {
                    return OPTIONS_FAIL;
                }
                seedOrCraft = true;
                break;
            case 'c':
                if (!readNumber("--craft", optarg, maxCraft, options.craft, message)) {
                    return OPTIONS_FAIL;
                }
                seedOrCraft = true;
                break;
            case 'o':
                options.indexCost = true;
                break;
            case 'i':
                options.index = IndexSet::find(optarg);
                if (options.index < 0) {
                    message = failure(std::string("--index takes octree, dbvt or flat, not '") +
                                      optarg + "'");
                    return OPTIONS_FAIL;
                }
                options.indexGiven = true;
                break;
            case 'R':
                if (!readFileName("--record", optarg, options.recordFile, message)) {
                    return OPTIONS_FAIL;
                }
                break;
            case 'P':
                if (!readFileName("--replay", optarg, options.replayFile, message)) {
                    return OPTIONS_FAIL;
                }
                break;
            case 'W':
                options.noWindow = true;
                break;
            case 'S':
                if (std::strcmp(optarg, "real") != 0 && std::strcmp(optarg, "fast") != 0) {
                    message = failure(std::string("--replay-speed takes real or fast, not '") +
                                      optarg + "'");
                    return OPTIONS_FAIL;
                }
                options.replayRealSpeed = std::strcmp(optarg, "real") == 0;
                speedGiven = true;
                break;
            case 'f':
                options.frameStats = true;
                break;
            case 't':
                options.cameraTrace = true;
                break;
            case ':':
                message = failure(spelledOption(argument, optopt) + " needs a value");
                return OPTIONS_FAIL;
            default:
                // An option getopt_long does not know, or "--help=value".
                if (optopt != 0 && std::strncmp(argument, "--", 2) == 0 &&
                    std::strchr(argument, '=')) {
                    message = failure(spelledOption(argument, optopt) + " takes no value");
                } else {
                    message = failure("unknown option '" + spelledOption(argument, optopt) + "'");
                }
                return OPTIONS_FAIL;
        }
    }
    if (optind < argc) {
        message = failure(std::string("unexpected argument '") + argv[optind] + "'");
        return OPTIONS_FAIL;
    }
    if (!checkReplayOptions(options, seedOrCraft, speedGiven, message)) {
        return OPTIONS_FAIL;
    }
    return OPTIONS_RUN;
}

const char* usageText() {
    return "Usage: brennoc [--seed N] [--craft N] [--index NAME] [--index-cost]\n"
           "               [--frame-stats] [--camera-trace]\n"
           "               [--record FILE | --replay FILE [--no-window]\n"
           "                                [--replay-speed real|fast]]\n"
           "\n"
           "An interactive demonstration of octree collision detection in a random\n"
           "city. Run it in the folder that holds its data files (Building/, Texture/,\n"
           "models/); an installed brennoc goes there by itself.\n"
           "\n"
           "Options:\n"
           "  --seed N    build the city and the craft from seed N (0 to 2147483647);\n"
           "              the same seed gives the same city and craft on every run.\n"
           "              Without it the seed is the process id: another city each run.\n"
           "  --craft N   release N flying craft (0 to 100000) instead of 10\n"
           "  --index NAME\n"
           "              decide the moves with this collision index from the start:\n"
           "              octree (the default), dbvt (Bullet's dynamic AABB tree) or\n"
           "              flat (a list, every record tested); key i switches\n"
           "  --index-cost, --octree-cost\n"
           "              the lower graph shows only the time spent inside the\n"
           "              collision index: taking movers out, filing them and testing\n"
           "              them\n"
           "  --frame-stats\n"
           "              at the end print one line on standard error: frames, physics\n"
           "              steps, their mean cost, the share of moves accepted and each\n"
           "              index's mean cost (also set by BRENNOC_FRAME_STATS)\n"
           "  --camera-trace\n"
           "              when Escape ends the program, print where the camera ended\n"
           "              on standard error (also set by BRENNOC_CAMERA_TRACE)\n"
           "  --record FILE\n"
           "              write the run into FILE as it goes: the seed, the options,\n"
           "              every interval and key, and the state after every step\n"
           "  --replay FILE\n"
           "              replay a recording instead of the clock and the keyboard\n"
           "              (Escape ends it), through --index NAME if given; at the end\n"
           "              print whether every step's state matched on standard error\n"
           "  --no-window with --replay: replay without a window or a display, as\n"
           "              fast as it can, and print the time per step too\n"
           "  --replay-speed real|fast\n"
           "              replay at the recorded pace, or as fast as it can (fast)\n"
           "  -h, --help  print this text and end\n"
           "  --version   print the version and end\n"
           "\n"
           "Keys:\n"
           "  Up / Down arrows     turn the view down / up\n"
           "  Left / Right arrows  roll the view\n"
           "  q / w                turn left / right\n"
           "  a / z                move forwards / backwards (thrust with physics on)\n"
           "  e                    switch physics on: the craft fly, the camera falls,\n"
           "                       every move is tested for collisions\n"
           "  r                    switch physics off\n"
           "  o                    show / hide the octree overlay: the leaves holding\n"
           "                       records (or the active index's boxes), the refused\n"
           "                       moves and the index's numbers\n"
           "  c                    with the overlay on: colour the octree's leaves by\n"
           "                       the box tests made in each in the last second, or\n"
           "                       again by the records each holds\n"
           "  i                    switch the collision index: octree, dbvt, flat, octree\n"
           "  p                    pause / resume the physics\n"
           "  n                    while paused, one physics step\n"
           "  Tab / Shift+Tab      select the next / previous craft, after the last one\n"
           "                       the camera: a panel tells its last move; with the\n"
           "                       overlay on, the move's boxes are drawn; each n\n"
           "                       prints the move on standard error\n"
           "  click                select the craft under the pointer\n"
           "  f                    view the selected craft from behind, and back\n"
           "  h                    show / hide the help panel: every key and the state\n"
           "  Escape               quit\n"
           "\n"
           "Graphs (right edge of the window):\n"
           "  upper  frames per second, one bar per frame\n"
           "  lower  microseconds each frame spent moving the craft and the camera and\n"
           "         testing their moves through the octree (physics on only); with\n"
           "         --index-cost, only the part spent inside the collision index\n"
           "  The number at a graph's top left is the value of a full-height bar;\n"
           "  'avg:' at its bottom right is the mean of the last second.\n";
}

const char* versionText() {
    return "brennoc " BRENNOC_VERSION "\n";
}

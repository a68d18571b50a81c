#pragma once

// Internal consistency checks of the graph node. They stay on in release
// builds: a broken ring or image would otherwise corrupt memory silently.
// Each failure prints its condition, message, the node's source name
// "soperfgraph" (whichever of its files the check is in) and the line, then
// stops the program.
#define PERFGRAPH_ASSERT(condition, conditionText, message)          \
    do {                                                             \
        if (!(condition)) {                                          \
            perfGraphAssertFailed(conditionText, message, __LINE__); \
        }                                                            \
    } while (0)

// message may be null when the condition says it all.
[[noreturn]] void perfGraphAssertFailed(const char* conditionText, const char* message, int line);

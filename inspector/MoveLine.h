#pragma once

#include <cstdio>

#include "inspector/Refuser.h"

// One explained move as the machine line gives it on standard error:
//   move craft 3 index octree visited 5 tested 4 refused no by none us 0.82
// ("move camera ..." for the camera), in the C locale's number format.
struct MoveLine {
    int craft = -1;  // the craft's number; -1 for the camera
    const char* index = "";
    int visited = 0;
    int tested = 0;
    bool refused = false;
    Refuser by;
    double microseconds = 0;
};

void printMoveLine(std::FILE* stream, const MoveLine& line);

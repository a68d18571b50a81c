#pragma once

#include <Inventor/SbLinear.h>

#include <string>
#include <vector>

#include "inspector/MoveLine.h"
#include "inspector/Refuser.h"

// What the move panel tells of the selected mover's last move.
struct PanelFacts {
    int mover = -2;  // as in MoverChoice.h
    bool moveKnown = false;
    // The move as the machine line gives it (its craft number unused).
    MoveLine move;
    // Told again through the index now active, without a move (no time).
    bool retold = false;
    SbVec3f position;
    float speed = 0;
    bool physics = false;
};

// The move panel's lines, in English; numbers in the user's locale.
std::vector<std::string> panelLines(const PanelFacts& facts);

// The run's state as the help panel gives it below the keys.
struct HelpFacts {
    bool physics = false;
    bool paused = false;
    const char* index = "";
    int mover = -2;
    bool chasing = false;
    bool overlay = false;
};

// The help panel's lines: every key of the program, then the state.
std::vector<std::string> helpLines(const HelpFacts& facts);

// "craft 3", "the camera" or "none".
std::string moverName(int mover);

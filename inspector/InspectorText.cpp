#include "inspector/InspectorText.h"

#include <cstdio>

#include "inspector/MoverChoice.h"

namespace {

// What "visited" counts in each index (MoveExplanation::visited).
std::string visitedWords(const std::string& index, int count) {
    const bool one = count == 1;
    if (index == "octree") {
        return one ? "leaf reached" : "leaves reached";
    }
    if (index == "dbvt") {
        return one ? "tree node visited" : "tree nodes visited";
    }
    return one ? "record visited" : "records visited";
}

std::string formatted(const char* format, double a, double b = 0, double c = 0) {
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    return line;
}

}  // namespace

std::string moverName(int mover) {
    if (mover == cameraMover) {
        return "the camera";
    }
    return mover >= 0 ? "craft " + std::to_string(mover) : "none";
}

std::vector<std::string> panelLines(const PanelFacts& facts) {
    std::vector<std::string> lines;
    lines.push_back("Selected: " + moverName(facts.mover));
    if (!facts.moveKnown) {
        lines.push_back(facts.physics ? "No move tried yet"
                                      : "No move tried yet: physics is off (E)");
    } else {
        const bool edge = facts.move.by.kind == REFUSER_EDGE;
        lines.push_back(std::string("Index: ") + facts.move.index);
        lines.push_back(std::to_string(facts.move.visited) + " " +
                        visitedWords(facts.move.index, facts.move.visited) + ", " +
                        std::to_string(facts.move.tested) +
                        (facts.move.tested == 1 ? " box test" : " box tests"));
        if (!facts.move.refused) {
            lines.push_back("Move accepted");
        } else {
            lines.push_back("Move refused by " + refuserEnglish(facts.move.by) +
                            (edge ? " (no index asked)" : ""));
        }
        lines.push_back(facts.retold
                            ? std::string("The same tried box, told again: not moved")
                            : formatted("%.2f microseconds in the index", facts.move.microseconds));
    }
    lines.push_back(formatted("Position %.2f %.2f %.2f", facts.position[0], facts.position[1],
                              facts.position[2]));
    lines.push_back(formatted("Speed %.4f a step", facts.speed));
    return lines;
}

std::vector<std::string> helpLines(const HelpFacts& facts) {
    std::vector<std::string> lines = {
        "Keys (H hides this panel)",
        "  Up / Down       turn the view down / up",
        "  Left / Right    roll the view",
        "  Q / W           turn left / right",
        "  A / Z           forwards / backwards; thrust with physics on",
        "  E / R           physics on / off: craft fly, camera falls, moves tested",
        "  Return, Space   no action",
        "  Escape          quit",
        "  O               overlay of the collision index",
        "  C               heat colouring of the octree overlay",
        "  I               next index: octree, dbvt, flat",
        "  P               pause / resume the physics",
        "  N               while paused, one physics step",
        "  Tab / Shift+Tab select the next / previous craft, then the camera",
        "  Click           select the craft under the pointer",
        "  F               chase view of the selected craft, and back",
        "  H               this panel",
        "",
        std::string("Physics: ") + (facts.physics ? "on" : "off") +
            (facts.paused ? ", paused" : ""),
        std::string("Index: ") + facts.index + (facts.overlay ? ", overlay on" : ""),
        "Selected: " + moverName(facts.mover) + (facts.chasing ? ", chase view" : ""),
    };
    return lines;
}

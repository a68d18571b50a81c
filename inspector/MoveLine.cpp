#include "inspector/MoveLine.h"

#include <string>

#include "app/MachineLine.h"

void printMoveLine(std::FILE* stream, const MoveLine& line) {
    const std::string mover = line.craft >= 0 ? "craft " + std::to_string(line.craft) : "camera";
    printMachineLine(stream, "move %s index %s visited %d tested %d refused %s by %s us %.2f\n",
                     mover.c_str(), line.index, line.visited, line.tested,
                     line.refused ? "yes" : "no", refuserWords(line.by).c_str(), line.microseconds);
}

#pragma once

#include <Inventor/errors/SoError.h>

#include <string>
#include <vector>

class OctTree;
class SbBox3f;

// Coin initialised, the file resolver installed and the working directory in
// the program's data folder, as when the program runs.
void enterDataFolder();

// The distinct boxes the tree's nodes hold.
std::vector<const SbBox3f*> boxesInTree(const OctTree& tree);

// Frees the boxes of the tree's records, which the program keeps for its
// whole run; the tree's own destructor frees its nodes.
void releaseTree(OctTree& tree);

// Coin's error and warning texts posted while it lives.
struct CoinMessages {
    CoinMessages();
    ~CoinMessages();
    std::vector<std::string> messages;
    SoErrorCB* previousDebug;
    SoErrorCB* previousRead;
};

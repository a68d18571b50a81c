#pragma once

#include <Inventor/errors/SoError.h>

#include <string>
#include <vector>

class OctTree;
class SbBox3f;

// Coin initialised, the data file resolver installed and the working directory
// in the program's data folder, as when the program runs.
void enterDataFolder();

// The distinct boxes the tree's nodes hold, in the order first met.
std::vector<const SbBox3f*> boxesInTree(const OctTree& tree);

// Frees the tree's child nodes and every box its records point to; the tests
// build what the program keeps for its whole run.
void releaseTree(OctTree& tree);

// Collects Coin's debug messages (errors and warnings) while it lives.
class CoinMessages {
public:
    CoinMessages();
    ~CoinMessages();
    std::vector<std::string> messages;

private:
    SoErrorCB* debugHandler;
    void* debugData;
    SoErrorCB* readHandler;
    void* readData;
};

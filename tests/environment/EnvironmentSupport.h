#pragma once

#include "tests/support/CoinMessages.h"
#include "tests/support/TreeBoxes.h"

// Coin initialised, the file resolver installed and the working directory in
// the program's data folder, as when the program runs.
void enterDataFolder();

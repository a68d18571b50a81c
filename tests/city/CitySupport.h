#pragma once

#include <string>
#include <vector>

class CityBuilder;
class ElementGrid;

// Coin set up once per process.
void initCoin();

// Collects Coin's error and warning messages while it lives.
class CoinMessages {
public:
    CoinMessages();
    ~CoinMessages();
    std::vector<std::string> messages;
};

void writeFile(const std::string& path, const std::string& content);

// Replaces the layout's random source by a script: draw k gives script[k], or
// fallback past its end. drawsMade() counts the draws since.
void useScriptedDraws(const std::vector<int>& script, int fallback);
// Seeds the standard source with seed instead of the process id and records
// every value drawn.
void useSeededDraws(unsigned int seed);
void restoreDraws();
int drawsMade();
const std::vector<int>& drawnValues();

// Draws that lay one street along x through z = 4 and one along z at x = 2
// from z = 0 to 6, then give building k the colour k % 8.
std::vector<int> crossingDraws();

// One character per cell, rows z = 0 … 9: '.' empty, '=' street, '+' crossing
// street, the file's digit where a building is anchored, '#' elsewhere under
// one, '!' where two things overlap.
std::string cityMap(const ElementGrid& grid);

// Frees what generateCity left on the builder's grid.
void destroyCity(CityBuilder& builder);

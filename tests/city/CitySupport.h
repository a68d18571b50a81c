#pragma once

#include <string>
#include <vector>

#include "city/CityLayout.h"
#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"
#include "tests/support/CoinMessages.h"

class ElementGrid;

// Coin set up once per process.
void initCoin();

void writeFile(const std::string& path, const std::string& content);

// The layout's draws as a test chooses them, each value drawn recorded. By
// default the standard source, seeded as asked.
class TestDraws : public LayoutDraws {
public:
    // The standard source seeded with fixedSeed, whatever seed is asked for.
    static TestDraws fromSeed(unsigned int fixedSeed);
    // Draw k gives script[k], or fallback past its end; seeding does nothing.
    static TestDraws scripted(std::vector<int> script, int fallback);

    void seed(unsigned int seed) override;
    int draw() override;

    std::vector<int> values;
    // The seed asked for last; -1 before any.
    long long seedAsked = -1;

private:
    enum Kind { STANDARD, FIXED_SEED, SCRIPT };
    Kind kind = STANDARD;
    unsigned int fixedSeed = 0;
    std::vector<int> script;
    int fallback = 0;
};

// Draws that lay one street along x through z = 4 and one along z at x = 2
// from z = 0 to 6, then give building k the colour k % 8.
std::vector<int> crossingDraws();

// One character per cell, rows z = 0 … 9: '.' empty, '=' street, '+' crossing
// street, the file's digit where a building is anchored, '#' elsewhere under
// one, '!' where two things overlap.
std::string cityMap(const ElementGrid& grid);

// Stands in for the index the city files into: keeps every record filed, in
// order, and frees their boxes at its end.
class RecordedFiling : public RecordFiling {
public:
    RecordedFiling() = default;
    RecordedFiling(const RecordedFiling&) = delete;
    RecordedFiling& operator=(const RecordedFiling&) = delete;
    ~RecordedFiling() { forget(); }

    void insert(const CollisionObject& record) override { records.push_back(record); }
    void forget();

    std::vector<CollisionObject> records;
};

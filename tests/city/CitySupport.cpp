#include "tests/city/CitySupport.h"

#include <Inventor/SoDB.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "city/CityBuilder.h"
#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "city/ElementGrid.h"

void initCoin() {
    SoDB::init();
}

void writeFile(const std::string& path, const std::string& content) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

TestDraws TestDraws::fromSeed(unsigned int fixedSeed) {
    TestDraws draws;
    draws.kind = FIXED_SEED;
    draws.fixedSeed = fixedSeed;
    return draws;
}

TestDraws TestDraws::scripted(std::vector<int> script, int fallback) {
    TestDraws draws;
    draws.kind = SCRIPT;
    draws.script = std::move(script);
    draws.fallback = fallback;
    return draws;
}

void TestDraws::seed(unsigned int seed) {
    seedAsked = seed;
    if (kind != SCRIPT) {
        LayoutDraws::seed(kind == FIXED_SEED ? fixedSeed : seed);
    }
}

int TestDraws::draw() {
    const size_t k = values.size();
    if (kind == SCRIPT) {
        values.push_back(k < script.size() ? script[k] : fallback);
    } else {
        values.push_back(LayoutDraws::draw());
    }
    return values.back();
}

void RecordedFiling::forget() {
    for (const CollisionObject& record : records) {
        delete record.box;
    }
    records.clear();
}

std::vector<int> crossingDraws() {
    // Percentages at the edges of their thresholds: 19 and 20 for a start,
    // 79 and 80 for an extension.
    const int start = 6553, noStart = 6554, extend = 26214, stop = 26215;
    std::vector<int> draws;
    // plocha: rows 1-4 draw at each of their nine cells; row 5 starts a run at
    // i = 1 and extends it to i = 10, the tenth draw meeting the border; row 6
    // is blocked by it; rows 7-9 draw nine times each.
    draws.insert(draws.end(), 36, noStart);
    draws.push_back(start);
    draws.insert(draws.end(), 9, extend);
    draws.insert(draws.end(), 27, noStart);
    // plocha2: rows 1-2 as before; row 3 runs from i = 1 to 7 and stops at 8;
    // a low draw at i = 9 starts nothing; row 4 is blocked but for i = 9.
    draws.insert(draws.end(), 18, noStart);
    draws.push_back(start);
    draws.insert(draws.end(), 5, extend);
    draws.push_back(stop);
    draws.push_back(0);
    draws.push_back(0);
    draws.insert(draws.end(), 45, noStart);
    // Colours: building k gets Barvicka[k % 8], from either end of its range.
    for (int k = 0; k < 64; ++k) {
        draws.push_back((k % 8) * 4096 + (k % 2) * 4095);
    }
    return draws;
}

std::string cityMap(const ElementGrid& grid) {
    std::string map;
    for (int z = 0; z < 10; ++z) {
        map += std::string(10, '.') + "\n";
    }
    auto mark = [&map](int x, int z, char c) {
        if (x < 0 || x >= 10 || z < 0 || z >= 10) {
            return;
        }
        char& cell = map[z * 11 + x];
        cell = cell == '.' ? c : '!';
    };
    for (int x = 0; x < 10; ++x) {
        for (int z = 0; z < 10; ++z) {
            const CityElement* element = grid.cells[x][z];
            if (!element || !grid.placed[x][z]) {
                continue;
            }
            if (dynamic_cast<const CubeElement*>(element)) {
                mark(x, z, std::strcmp(element->fileName, "Texture/Asfalt1.jpg") == 0 ? '+' : '=');
                continue;
            }
            const char digit = element->fileName[std::strlen("Building/dum")];
            for (int a = 0; a < element->extent[0]; ++a) {
                for (int b = 0; b < element->extent[2]; ++b) {
                    mark(x + a, z + b, a == 0 && b == 0 ? digit : '#');
                }
            }
        }
    }
    return map;
}

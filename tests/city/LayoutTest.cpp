#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "city/CityBuilder.h"
#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "city/ElementGrid.h"
#include "tests/city/CitySupport.h"
#include "tests/support/SimulationWorld.h"

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void TearDown() override { releaseCity(builder); }

    void generate() { builder.generateCity(filed, draws); }

    CityBuilder builder;
    TestDraws draws;
    RecordedFiling filed;
};

bool sameBox(const SbBox3f& box, float x0, float y0, float z0, float x1, float y1, float z1) {
    return box.getMin() == SbVec3f(x0, y0, z0) && box.getMax() == SbVec3f(x1, y1, z1);
}

// Checks what was filed against the grid: one record per street tile, in
// layout order, then one per building, in placement order, each with its box.
// Returns the number of buildings.
int checkRecords(const ElementGrid& grid, const std::vector<CollisionObject>& filedRecords) {
    const float heights[] = {0, 4, 2, 2, 1};  // by the digit of "Building/dumN.txt"
    size_t streets = 0, buildings = 0;
    for (const CollisionObject& record : filedRecords) {
        const int x = int(record.box->getMin()[0]), z = int(record.box->getMin()[2]);
        const CityElement* element = grid.cells[x][z];
        EXPECT_TRUE(element && grid.placed[x][z]) << "no element at " << x << "," << z;
        if (!element) {
            continue;
        }
        const SbVec3f e = element->extent;
        SbVec3f center(record.center[0], record.center[1], record.center[2]);
        if (dynamic_cast<const CubeElement*>(element)) {
            ++streets;
            EXPECT_EQ(buildings, 0u) << "streets are filed before buildings";
            EXPECT_TRUE(sameBox(*record.box, x, -0.005f, z, x + 1, 0, z + 1));
            EXPECT_EQ(center, SbVec3f(x + 0.5f, 0.0025f, z + 0.5f));
        } else {
            ++buildings;
            EXPECT_EQ(e[1], heights[element->fileName[12] - '0']) << element->fileName;
            EXPECT_TRUE(sameBox(*record.box, x, -e[1], z, x + e[0], 0, z + e[2]));
            EXPECT_EQ(center, SbVec3f(x + e[0] / 2, -e[1] / 2, z + e[2] / 2));
        }
        EXPECT_EQ(record.owner, nullptr);
    }
    size_t elements = 0;
    for (const auto& row : grid.cells) {
        for (const CityElement* element : row) {
            elements += element != nullptr;
        }
    }
    EXPECT_EQ(streets + buildings, elements);
    return static_cast<int>(buildings);
}

TEST_F(LayoutTest, SeedsTheStandardSourceWithTheProcessId) {
    generate();
    EXPECT_EQ(draws.seedAsked, getpid());
    EXPECT_EQ(builder.seed, getpid()) << "the builder keeps the seed it used";
}

// A chosen seed is used as it is, 0 included; the process id only stands in
// for the default -1.
TEST_F(LayoutTest, SeedsTheStandardSourceWithAChosenSeed) {
    for (int seed : {0, 2147483647}) {
        releaseCity(builder);
        builder.grid = new ElementGrid(10, 10);
        draws.seedAsked = 1;
        builder.seed = seed;
        generate();
        EXPECT_EQ(draws.seedAsked, seed);
        EXPECT_EQ(builder.seed, seed);
    }
}

// Draws chosen by hand: one street along x in row z = 4, one along z in
// column x = 2 from z = 0 to 6, crossing at (2, 4); buildings fill the rest.
TEST_F(LayoutTest, CrossingLayoutMatchesHandComputation) {
    draws = TestDraws::scripted(crossingDraws(), 32767);
    generate();
    EXPECT_EQ(cityMap(*builder.grid),
              "4#=4#.4#.2\n"
              "##=##.##.#\n"
              "..=.......\n"
              "3#=3#.3#.1\n"
              "==+=======\n"
              "4#=4#.4#.2\n"
              "##=##.##.#\n"
              "..........\n"
              "4#.4#.4#.2\n"
              "##.##.##.#\n");
    // 73 and 72 draws for the two street grids, then one colour draw for each
    // of 16 buildings.
    EXPECT_EQ(draws.values.size(), 73u + 72u + 16u);
    ASSERT_EQ(checkRecords(*builder.grid, filed.records), 16);
    ASSERT_EQ(filed.records.size(), 16u + 16u);
    for (int k = 0; k < 16; ++k) {
        const SbVec3f min = filed.records[16 + k].box->getMin();
        const CityElement* building = builder.grid->cells[int(min[0])][int(min[2])];
        EXPECT_EQ(building->color, SbColor(Barvicka[k % 8])) << "building " << k;
    }
}

TEST_F(LayoutTest, NoLowPercentageGivesAStreetlessCityOfSeparatedBuildings) {
    draws = TestDraws::scripted({}, 6554);  // every percentage exactly 20
    generate();
    EXPECT_EQ(cityMap(*builder.grid),
              "4#.4#.4#.2\n"
              "##.##.##.#\n"
              "..........\n"
              "4#.4#.4#.2\n"
              "##.##.##.#\n"
              "..........\n"
              "4#.4#.4#.2\n"
              "##.##.##.#\n"
              "..........\n"
              "3#.3#.3#.1\n");
    EXPECT_EQ(checkRecords(*builder.grid, filed.records), 16);
}

// Street runs straight from the procedure: where they start and end, and
// that neighbouring rows never run side by side.
TEST(StreetRuns, StayInsideAndApartOverManySeeds) {
    for (unsigned int seed = 1; seed <= 500; ++seed) {
        TestDraws draws = TestDraws::fromSeed(seed);
        draws.seed(0);
        LayoutGrid g;
        clearLayout(g);
        layStreets(g, draws);
        for (int j = 0; j < layoutSize; ++j) {
            int i = 0;
            while (i < layoutSize) {
                if (g[i][j] != CELL_STREET) {
                    ++i;
                    continue;
                }
                const int start = i;
                while (i < layoutSize && g[i][j] == CELL_STREET) {
                    ++i;
                }
                SCOPED_TRACE("seed " + std::to_string(seed) + " row " + std::to_string(j));
                EXPECT_TRUE(j >= 1 && j <= 9);
                EXPECT_TRUE(start >= 1 && start <= 7);
                EXPECT_GE(i - start, 2);
                EXPECT_LE(i - 1, 10);
                for (int k = start; k < i; ++k) {
                    EXPECT_NE(g[k][j + 1], CELL_STREET);
                }
            }
        }
    }
}

TEST_F(LayoutTest, ManySeedsGiveSoundCities) {
    int streetless = 0;
    for (unsigned int seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        releaseCity(builder);
        filed.forget();
        builder.grid = new ElementGrid(10, 10);
        draws = TestDraws::fromSeed(seed);
        generate();
        const ElementGrid& grid = *builder.grid;
        const std::string map = cityMap(grid);
        EXPECT_EQ(map.find('!'), std::string::npos) << map;

        // No two buildings touch, not even at a corner: around each footprint
        // lie only streets and empty cells.
        auto at = [&map](int x, int z) {
            return x < 0 || x > 9 || z < 0 || z > 9 ? '.' : map[z * 11 + x];
        };
        for (int x = 0; x < 10; ++x) {
            for (int z = 0; z < 10; ++z) {
                const CityElement* e = grid.cells[x][z];
                if (!dynamic_cast<const BuildingElement*>(e)) {
                    continue;
                }
                const int ex = int(e->extent[0]), ez = int(e->extent[2]);
                for (int a = x - 1; a <= x + ex; ++a) {
                    for (int b = z - 1; b <= z + ez; ++b) {
                        const bool ring = a < x || a == x + ex || b < z || b == z + ez;
                        EXPECT_TRUE(!ring || std::strchr(".=+", at(a, b)))
                            << "building at " << x << "," << z << " touches\n"
                            << map;
                    }
                }
            }
        }

        // A crossing image exactly where a street has three or four street neighbours.
        int streets = 0;
        auto isStreet = [&at](int x, int z) { return at(x, z) == '=' || at(x, z) == '+'; };
        for (int x = 0; x < 10; ++x) {
            for (int z = 0; z < 10; ++z) {
                if (!isStreet(x, z)) {
                    continue;
                }
                ++streets;
                const int n = isStreet(x + 1, z) + isStreet(x - 1, z) + isStreet(x, z + 1) +
                              isStreet(x, z - 1);
                EXPECT_EQ(at(x, z) == '+', n > 2) << x << "," << z << "\n" << map;
                EXPECT_GE(n, 1) << "a lone street cell at " << x << "," << z;
            }
        }
        streetless += streets == 0;

        // The colour draws are the last ones, one per building in filing order.
        const int buildings = checkRecords(grid, filed.records);
        const std::vector<int> drawn = draws.values;
        ASSERT_GE(drawn.size(), size_t(buildings));
        const size_t firstColour = drawn.size() - buildings;
        for (int k = 0; k < buildings; ++k) {
            const SbVec3f min = filed.records[filed.records.size() - buildings + k].box->getMin();
            EXPECT_EQ(grid.cells[int(min[0])][int(min[2])]->color,
                      SbColor(Barvicka[drawn[firstColour + k] * 8 / 32768]));
        }
        // Laying the streets alone consumes exactly the draws before them.
        TestDraws streetDraws = TestDraws::fromSeed(seed);
        streetDraws.seed(0);
        LayoutGrid plocha, plocha2;
        clearLayout(plocha);
        clearLayout(plocha2);
        layStreets(plocha, streetDraws);
        layStreets(plocha2, streetDraws);
        EXPECT_EQ(streetDraws.values.size(), firstColour);
    }
    EXPECT_LT(streetless, 300) << "some seed must give streets";
}

}  // namespace

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "CitySupport.h"
#include "RecordingOctTree.h"
#include "city/CityBuilder.h"
#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "city/ElementGrid.h"
#include "octree/OctTree.h"

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void TearDown() override {
        destroyCity(builder);
        forgetFiledRecords();
        restoreDraws();
    }

    void generate() {
        OctTree tree(SbBox3f(-60, -110, -60, 60, 10, 60));
        builder.generateCity(tree);
    }

    CityBuilder builder;
};

bool sameBox(const SbBox3f& box, float x0, float y0, float z0, float x1, float y1, float z1) {
    return box.getMin() == SbVec3f(x0, y0, z0) && box.getMax() == SbVec3f(x1, y1, z1);
}

// Checks what was filed against the grid: one record per street tile, in
// layout order, then one per building, in placement order, each with its box.
// Returns the number of buildings.
int checkRecords(const ElementGrid& grid) {
    size_t streets = 0, buildings = 0;
    for (const CollisionObject& record : filedRecords) {
        const SbVec3f min = record.box->getMin();
        const int x = static_cast<int>(min[0]), z = static_cast<int>(min[2]);
        EXPECT_EQ(min[0], x);
        EXPECT_EQ(min[2], z);
        const CityElement* element = grid.cells[x][z];
        EXPECT_TRUE(element && grid.placed[x][z]) << "no element at " << x << "," << z;
        if (!element) {
            continue;
        }
        const SbVec3f e = element->extent;
        const bool isStreet = dynamic_cast<const CubeElement*>(element) != nullptr;
        if (isStreet) {
            EXPECT_EQ(buildings, 0u) << "streets are filed before buildings";
        }
        if (isStreet) {
            ++streets;
            EXPECT_TRUE(sameBox(*record.box, x, -0.005f, z, x + 1, 0, z + 1));
        } else {
            ++buildings;
            EXPECT_TRUE(sameBox(*record.box, x, -e[1], z, x + e[0], 0, z + e[2]));
        }
        EXPECT_EQ(SbVec3f(record.center[0], record.center[1], record.center[2]),
                  isStreet ? SbVec3f(x + 0.5f, 0.0025f, z + 0.5f)
                           : SbVec3f(x + e[0] / 2, -e[1] / 2, z + e[2] / 2));
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
    static unsigned int seenSeed = 0;
    layoutSeed = [](unsigned int seed) { seenSeed = seed; };
    generate();
    EXPECT_EQ(seenSeed, static_cast<unsigned int>(getpid()));
}

// Draws chosen by hand: one street along x in row z = 4, one along z in
// column x = 2 from z = 0 to 6, crossing at (2, 4); buildings fill the rest.
TEST_F(LayoutTest, CrossingLayoutMatchesHandComputation) {
    useScriptedDraws(crossingDraws(), 32767);
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
    EXPECT_EQ(drawsMade(), 73 + 72 + 16);
    ASSERT_EQ(checkRecords(*builder.grid), 16);
    ASSERT_EQ(filedRecords.size(), 16u + 16u);
    for (int k = 0; k < 16; ++k) {
        const SbVec3f min = filedRecords[16 + k].box->getMin();
        const CityElement* building = builder.grid->cells[int(min[0])][int(min[2])];
        EXPECT_EQ(building->color, SbColor(Barvicka[k % 8])) << "building " << k;
    }
}

TEST_F(LayoutTest, NoLowPercentageGivesAStreetlessCityOfSeparatedBuildings) {
    useScriptedDraws({}, 6554);  // every percentage exactly 20
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
    EXPECT_EQ(checkRecords(*builder.grid), 16);
}

// Street runs straight from the procedure: where they start and end, and
// that neighbouring rows never run side by side.
TEST(StreetRuns, StayInsideAndApartOverManySeeds) {
    for (unsigned int seed = 1; seed <= 500; ++seed) {
        useSeededDraws(seed);
        LayoutGrid g;
        clearLayout(g);
        layStreets(g);
        for (int j = 0; j < layoutSize; ++j) {
            int i = 0;
            while (i < layoutSize) {
                if (g[i][j] != cellStreet) {
                    ++i;
                    continue;
                }
                const int start = i;
                while (i < layoutSize && g[i][j] == cellStreet) {
                    ++i;
                }
                SCOPED_TRACE("seed " + std::to_string(seed) + " row " + std::to_string(j));
                EXPECT_TRUE(j >= 1 && j <= 9);
                EXPECT_TRUE(start >= 1 && start <= 7);
                EXPECT_GE(i - start, 2);
                EXPECT_LE(i - 1, 10);
                for (int k = start; k < i; ++k) {
                    EXPECT_NE(g[k][j + 1], cellStreet);
                }
            }
        }
    }
    restoreDraws();
}

TEST_F(LayoutTest, ManySeedsGiveSoundCities) {
    int streetless = 0;
    for (unsigned int seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        destroyCity(builder);
        forgetFiledRecords();
        builder.grid = new ElementGrid(10, 10);
        useSeededDraws(seed);
        generate();
        const ElementGrid& grid = *builder.grid;
        const std::string map = cityMap(grid);
        EXPECT_EQ(map.find('!'), std::string::npos) << map;

        // No two buildings touch, not even at a corner.
        auto owner = [&grid](int x, int z) -> const CityElement* {
            for (int a = 0; a <= x; ++a) {
                for (int b = 0; b <= z; ++b) {
                    const CityElement* e = grid.cells[a][b];
                    if (e && x < a + e->extent[0] && z < b + e->extent[2]) {
                        return e;
                    }
                }
            }
            return nullptr;
        };
        for (int x = 0; x < 10; ++x) {
            for (int z = 0; z < 10; ++z) {
                const CityElement* here = owner(x, z);
                if (!dynamic_cast<const BuildingElement*>(here)) {
                    continue;
                }
                for (int dx = -1; dx <= 1; ++dx) {
                    for (int dz = -1; dz <= 1; ++dz) {
                        if (x + dx < 0 || x + dx > 9 || z + dz < 0 || z + dz > 9) {
                            continue;
                        }
                        const CityElement* next = owner(x + dx, z + dz);
                        EXPECT_TRUE(next == here || !dynamic_cast<const BuildingElement*>(next))
                            << "buildings touch at " << x << "," << z << "\n"
                            << map;
                    }
                }
            }
        }

        // A crossing image exactly where a street has three or four street neighbours.
        int streets = 0;
        auto isStreet = [&map](int x, int z) {
            return x >= 0 && x < 10 && z >= 0 && z < 10 &&
                   (map[z * 11 + x] == '=' || map[z * 11 + x] == '+');
        };
        for (int x = 0; x < 10; ++x) {
            for (int z = 0; z < 10; ++z) {
                if (!isStreet(x, z)) {
                    continue;
                }
                ++streets;
                const int n = isStreet(x + 1, z) + isStreet(x - 1, z) + isStreet(x, z + 1) +
                              isStreet(x, z - 1);
                EXPECT_EQ(map[z * 11 + x] == '+', n > 2) << x << "," << z << "\n" << map;
                EXPECT_GE(n, 1) << "a lone street cell at " << x << "," << z;
            }
        }
        streetless += streets == 0;

        // The colour draws are the last ones, one per building in filing order.
        const int buildings = checkRecords(grid);
        const std::vector<int>& drawn = drawnValues();
        ASSERT_GE(drawn.size(), size_t(buildings));
        const size_t firstColour = drawn.size() - buildings;
        for (int k = 0; k < buildings; ++k) {
            const SbVec3f min = filedRecords[filedRecords.size() - buildings + k].box->getMin();
            EXPECT_EQ(grid.cells[int(min[0])][int(min[2])]->color,
                      SbColor(Barvicka[drawn[firstColour + k] * 8 / 32768]));
        }
        // Laying the streets alone consumes exactly the draws before them.
        useSeededDraws(seed);
        layoutSeed(0);
        LayoutGrid plocha, plocha2;
        clearLayout(plocha);
        clearLayout(plocha2);
        layStreets(plocha);
        layStreets(plocha2);
        EXPECT_EQ(size_t(drawsMade()), firstColour);
    }
    EXPECT_LT(streetless, 300) << "some seed must give streets";
}

}  // namespace

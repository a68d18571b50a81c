#include "city/CityLayout.h"

#include <cstdlib>

void LayoutDraws::seed(unsigned int seed) {
    std::srand(seed);
}

// The layout's arithmetic assumes 15-bit draws; a wider rand keeps its high bits.
int LayoutDraws::draw() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}

int percentDraw(LayoutDraws& draws) {
    return draws.draw() * 100 / 32768;
}

int colourDraw(LayoutDraws& draws) {
    return draws.draw() * 8 / 32768;
}

const float Barvicka[8][3] = {
    {0.9f, 0.7f, 0.7f}, {0.7f, 0.9f, 0.7f}, {0.7f, 0.7f, 0.9f}, {0.9f, 0.9f, 0.9f},
    {0.9f, 0.7f, 0.9f}, {0.9f, 0.9f, 0.7f}, {0.7f, 0.9f, 0.9f}, {0.9f, 0.9f, 0.9f},
};

const BuildingPass buildingPasses[4] = {
    {2, 2, 1, "Building/dum4.txt"},
    {1, 2, 2, "Building/dum2.txt"},
    {2, 1, 2, "Building/dum3.txt"},
    {1, 1, 4, "Building/dum1.txt"},
};

void clearLayout(LayoutGrid grid) {
    for (int i = 0; i < layoutSize; ++i) {
        for (int j = 0; j < layoutSize; ++j) {
            grid[i][j] = CELL_FREE;
        }
    }
    blockBorder(grid);
}

void blockBorder(LayoutGrid grid) {
    for (int k = 0; k < layoutSize; ++k) {
        grid[k][0] = grid[k][layoutSize - 1] = CELL_BLOCKED;
        grid[0][k] = grid[layoutSize - 1][k] = CELL_BLOCKED;
    }
}

void layStreets(LayoutGrid g, LayoutDraws& draws) {
    for (int j = 1; j <= 9; ++j) {
        int i = 1;
        while (i <= 9) {
            if (g[i][j] != CELL_BLOCKED) {
                const int p = percentDraw(draws);
                if (p < 20 && i < 8) {
                    // The second cell is taken without looking: a run is two cells at least.
                    g[i][j] = g[i + 1][j] = CELL_STREET;
                    g[i - 1][j + 1] = g[i][j + 1] = g[i + 1][j + 1] = CELL_BLOCKED;
                    i += 2;
                    for (;;) {
                        const int q = percentDraw(draws);
                        if (q >= 80 || i >= layoutSize - 1 || g[i][j] == CELL_BLOCKED) {
                            break;
                        }
                        g[i][j + 1] = CELL_BLOCKED;
                        g[i][j] = CELL_STREET;
                        ++i;
                    }
                    g[i][j + 1] = CELL_BLOCKED;
                }
            }
            ++i;
        }
    }
}

void mergeStreets(LayoutGrid plocha, const LayoutGrid plocha2) {
    for (int i = 0; i < layoutSize; ++i) {
        for (int j = 0; j < layoutSize; ++j) {
            if (plocha[i][j] == CELL_BLOCKED) {
                plocha[i][j] = CELL_FREE;
            }
            if (plocha2[j][i] == CELL_STREET) {
                plocha[i][j] = CELL_STREET;
            }
        }
    }
}

int streetNeighbours(const LayoutGrid g, int i, int j) {
    return g[i + 1][j] + g[i][j + 1] + g[i - 1][j] + g[i][j - 1];
}

bool footprintFree(const LayoutGrid grid, int i, int j, const BuildingPass& pass) {
    for (int a = 0; a < pass.sizeI; ++a) {
        for (int b = 0; b < pass.sizeJ; ++b) {
            if (i + a >= layoutSize || j + b >= layoutSize || grid[i + a][j + b] != CELL_FREE) {
                return false;
            }
        }
    }
    return true;
}

void occupyFootprint(LayoutGrid grid, int i, int j, const BuildingPass& pass) {
    for (int a = 0; a < pass.sizeI; ++a) {
        for (int b = 0; b < pass.sizeJ; ++b) {
            grid[i + a][j + b] = CELL_BUILDING;
        }
    }
    for (int a = -1; a <= pass.sizeI; ++a) {
        for (int b = -1; b <= pass.sizeJ; ++b) {
            if (i + a < 0 || i + a >= layoutSize || j + b < 0 || j + b >= layoutSize) {
                continue;
            }
            int& cell = grid[i + a][j + b];
            if (cell == CELL_FREE) {
                cell = CELL_BLOCKED;
            }
        }
    }
}

#pragma once

// The working grids of the city layout. Cell (i, j) stands for the city cell
// x = i - 1, z = j - 1; the outer ring is a border outside the 10 × 10 city.
const int layoutSize = 12;
typedef int LayoutGrid[layoutSize][layoutSize];

enum LayoutCell { CELL_FREE = 0, CELL_STREET = 1, CELL_BUILDING = 2, CELL_BLOCKED = 3 };

// The layout's random source: seeded once per city, each draw 0 … 32767.
// This one is the standard rand, seeded with srand, whose sequence the flying
// craft continue; tests derive their own to replay chosen draws.
class LayoutDraws {
public:
    virtual ~LayoutDraws() = default;
    virtual void seed(unsigned int seed);
    virtual int draw();
};

// 0 … 99.
int percentDraw(LayoutDraws& draws);
// 0 … 7, an index into Barvicka.
int colourDraw(LayoutDraws& draws);

extern const float Barvicka[8][3];

// All cells free, the border blocked.
void clearLayout(LayoutGrid grid);
void blockBorder(LayoutGrid grid);
// Streets along the first index, row by row; neighbouring rows kept apart.
void layStreets(LayoutGrid grid, LayoutDraws& draws);
// Leaves plocha holding only free cells and the streets of both grids, those
// of plocha2 read transposed.
void mergeStreets(LayoutGrid plocha, const LayoutGrid plocha2);
int streetNeighbours(const LayoutGrid grid, int i, int j);

// One of the four building footprints, in the order they are tried.
struct BuildingPass {
    int sizeI;
    int sizeJ;
    float height;
    const char* fileName;
};
extern const BuildingPass buildingPasses[4];

bool footprintFree(const LayoutGrid grid, int i, int j, const BuildingPass& pass);
// Marks the footprint built and blocks its free ring cells.
void occupyFootprint(LayoutGrid grid, int i, int j, const BuildingPass& pass);

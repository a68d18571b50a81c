#include "city/CityBuilder.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/SbColor.h>
#include <unistd.h>

#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "city/ElementGrid.h"
#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"

namespace {

const char* const crossingImage = "Texture/Asfalt1.jpg";
const char* const streetImage = "Texture/Asfalt2.jpg";

void addStreetTiles(const LayoutGrid plocha, ElementGrid& grid, RecordFiling& tree) {
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            if (plocha[i][j] != CELL_STREET) {
                continue;
            }
            // Three or four street neighbours: a crossing or a T-junction.
            const char* image = streetNeighbours(plocha, i, j) > 2 ? crossingImage : streetImage;
            const float x = i - 1, z = j - 1;
            CityElement* tile =
                new CubeElement(x, 0.0025f, z, 1, 0.005f, 1, SbColor(0.7f, 0.7f, 0.7f), image);
            grid.place(i - 1, j - 1, tile, true);
            // The tree's copies of the record share this box for the rest of the run.
            SbBox3f* box = new SbBox3f(tile->collisionBox());
            tree.insert(CollisionObject(x + 0.5f, 0.0025f, z + 0.5f, box));
        }
    }
}

void addBuildings(LayoutGrid plocha, const BuildingPass& pass, LayoutDraws& draws,
                  ElementGrid& grid, RecordFiling& tree) {
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            if (!footprintFree(plocha, i, j, pass)) {
                continue;
            }
            occupyFootprint(plocha, i, j, pass);
            const float x = i - 1, z = j - 1;
            const float ex = pass.sizeI, ey = pass.height, ez = pass.sizeJ;
            const float* colour = Barvicka[colourDraw(draws)];
            CityElement* building = new BuildingElement(
                x, 0, z, ex, ey, ez, SbColor(colour[0], colour[1], colour[2]), pass.fileName);
            grid.place(i - 1, j - 1, building, true);
            SbBox3f* box = new SbBox3f(building->collisionBox());
            tree.insert(CollisionObject(x + ex / 2, -ey / 2, z + ez / 2, box));
        }
    }
}

}  // namespace

CityBuilder::CityBuilder() : grid(new ElementGrid(10, 10)) {}

CityBuilder::~CityBuilder() {}

void CityBuilder::generateCity(RecordFiling& tree) {
    LayoutDraws standard;
    generateCity(tree, standard);
}

void CityBuilder::generateCity(RecordFiling& tree, LayoutDraws& draws) {
    if (seed < 0) {
        seed = static_cast<int>(getpid());
    }
    draws.seed(static_cast<unsigned int>(seed));

    LayoutGrid plocha, plocha2;
    clearLayout(plocha);
    clearLayout(plocha2);
    layStreets(plocha, draws);
    layStreets(plocha2, draws);
    mergeStreets(plocha, plocha2);

    addStreetTiles(plocha, *grid, tree);

    blockBorder(plocha);
    for (const BuildingPass& pass : buildingPasses) {
        addBuildings(plocha, pass, draws, *grid, tree);
    }
}

void CityBuilder::addCityToScene(SoSeparator* root) {
    grid->addToScene(root);
}

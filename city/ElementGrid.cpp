#include "city/ElementGrid.h"

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include "city/CityElement.h"
#include "city/TextureSharing.h"

namespace {

int clampSize(int size) {
    if (size < 0) {
        return 0;
    }
    return size > ElementGrid::maxSize ? ElementGrid::maxSize : size;
}

}  // namespace

// Every cell starts empty, not only those in use, so that no reader ever meets
// an uninitialised pointer or flag.
ElementGrid::ElementGrid(int rows, int columns)
    : rows(clampSize(rows)), columns(clampSize(columns)), cells{}, placed{} {}

ElementGrid::~ElementGrid() {}

void ElementGrid::place(int row, int column, CityElement* element, bool isPlaced) {
    if (row < 0 || row >= rows || column < 0 || column >= columns) {
        return;
    }
    cells[row][column] = element;
    placed[row][column] = isPlaced ? 1 : 0;
}

void ElementGrid::addToScene(SoSeparator* group) {
    if (!group) {
        return;
    }
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < columns; ++k) {
            CityElement* element = cells[r][k];
            if (!element || !placed[r][k]) {
                continue;
            }
            // Taken before build: a building's drawn size may differ from its footprint.
            const SbVec3f t = element->corner + element->extent / 2;
            SoSeparator* subtree = element->build();
            if (!subtree) {
                continue;
            }
            SoTranslation* there = new SoTranslation;
            there->translation.setValue(t[0], -t[1], t[2]);
            SoTranslation* back = new SoTranslation;
            back->translation.setValue(-t[0], t[1], -t[2]);
            group->addChild(there);
            group->addChild(subtree);
            group->addChild(back);
        }
    }
    shareTextures(group);
}

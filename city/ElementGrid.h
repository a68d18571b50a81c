#pragma once

class CityElement;
class SoSeparator;

// The city's elements by cell: row = the cell's x, column = its z. A building
// covering several cells is stored at its cell of smallest x and z.
class ElementGrid {
public:
    static const int maxSize = 10;

    // rows and columns are clamped to 0 … maxSize.
    ElementGrid(int rows, int columns);
    virtual ~ElementGrid();

    // Cells outside rows × columns are ignored.
    void place(int row, int column, CityElement* element, bool placed);
    // Adds every placed element's subtree to group, each between a translation
    // to its centre and the inverse, then shares equal textures over group.
    void addToScene(SoSeparator* group);

    int rows;
    int columns;
    CityElement* cells[maxSize][maxSize];
    unsigned char placed[maxSize][maxSize];
};

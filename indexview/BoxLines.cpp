#include "indexview/BoxLines.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <Inventor/nodes/SoText2.h>

#include "indexview/IndexView.h"

namespace boxlines {

SoIndexedLineSet* newLineSet() {
    SoIndexedLineSet* lines = new SoIndexedLineSet;
    lines->coordIndex.setNum(0);
    return lines;
}

SoCoordinate3* newCoordinates() {
    SoCoordinate3* coordinates = new SoCoordinate3;
    coordinates->point.setNum(0);
    return coordinates;
}

void putCorners(SbVec3f* corners, const SbVec3f& min, const SbVec3f& max) {
    for (int k = 0; k < 8; ++k) {
        corners[k].setValue((k & 4) ? max[0] : min[0], (k & 2) ? max[1] : min[1],
                            (k & 1) ? max[2] : min[2]);
    }
}

void putBoxIndices(int32_t* indices, int firstCorner) {
    for (int i = 0; i < IndexView::boxIndexCount; ++i) {
        const int index = IndexView::boxIndices[i];
        indices[i] = index < 0 ? -1 : firstCorner + index;
    }
}

void showBoxes(SoCoordinate3* corners, SoIndexedLineSet* lines, const std::vector<SbBox3f>& boxes) {
    const int count = static_cast<int>(boxes.size());
    corners->point.setNum(8 * count);
    lines->coordIndex.setNum(IndexView::boxIndexCount * count);
    SbVec3f* points = corners->point.startEditing();
    int32_t* indices = lines->coordIndex.startEditing();
    for (int i = 0; i < count; ++i) {
        putCorners(points + 8 * i, boxes[i].getMin(), boxes[i].getMax());
        putBoxIndices(indices + IndexView::boxIndexCount * i, 8 * i);
    }
    corners->point.finishEditing();
    lines->coordIndex.finishEditing();
}

void setLines(SoText2* text, const std::vector<std::string>& lines) {
    text->string.setNum(static_cast<int>(lines.size()));
    SbString* strings = text->string.startEditing();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        strings[i] = lines[i].c_str();
    }
    text->string.finishEditing();
}

}  // namespace boxlines

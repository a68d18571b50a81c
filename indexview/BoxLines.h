#pragma once

#include <Inventor/SbBox3f.h>

#include <cstdint>
#include <string>
#include <vector>

class SoCoordinate3;
class SoIndexedLineSet;
class SoText2;

// Boxes drawn as lines and panels of text, as the overlays draw them.
namespace boxlines {

// Nodes holding nothing yet.
SoIndexedLineSet* newLineSet();
SoCoordinate3* newCoordinates();

// A box's eight corners: corner k has the upper x where bit 2 is set, the
// upper y for bit 1, the upper z for bit 0.
void putCorners(SbVec3f* corners, const SbVec3f& min, const SbVec3f& max);
// IndexView::boxIndices for the box whose corners begin at firstCorner.
void putBoxIndices(int32_t* indices, int firstCorner);
// The boxes' edges, in place of what the two nodes held.
void showBoxes(SoCoordinate3* corners, SoIndexedLineSet* lines, const std::vector<SbBox3f>& boxes);

// The text's strings set to the lines, in one edit. Texts of several colours
// can share a place and its line spacing: each leaves empty the lines another
// fills, and spaces make room on a line (the font's glyphs are all of one
// width).
void setLines(SoText2* text, const std::vector<std::string>& lines);

}  // namespace boxlines

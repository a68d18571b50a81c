#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbColor.h>
#include <Inventor/SbTime.h>
#include <Inventor/nodes/SoSwitch.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "spatialindex/CollisionIndex.h"

class CollisionObject;
class IndexSet;
class SoBaseColor;
class SoCoordinate3;
class SoEvent;
class SoIndexedLineSet;
class SoLeafHeat;
class SoOneShotSensor;
class SoSeparator;
class SoSensor;
class SoText2;

// An overlay that shows a collision index at work, drawn over the scene: the
// boxes the index shows of itself (CollisionIndex::walkBoxes), coloured by
// their kind: cells that hold records (the octree's leaves) by how many each
// holds, a tree's inner nodes by depth and its leaves in a colour of their
// own, records' boxes in one colour. Also the tried box of every move refused,
// for half a second, and one line naming the index with its figures. It is off
// at start and costs nothing while off. Key C colours the octree's leaves by
// the work done there instead (SoLeafHeat), with a legend under the line.
class IndexView {
public:
    // Shows this index, which must outlive the view.
    explicit IndexView(const CollisionIndex* index);
    // Shows whichever of the set's indexes is active.
    explicit IndexView(const IndexSet* indexes);
    ~IndexView();
    IndexView(const IndexView&) = delete;
    IndexView& operator=(const IndexView&) = delete;

    // The overlay's part of the scene; it shows nothing while the overlay is
    // off. It resets the transformation and texture it inherits, so it may
    // go anywhere after the scene's camera.
    SoSwitch* getSceneGraph() const { return sceneGraph; }

    bool isOn() const;
    // While on, a sensor brings the overlay up to date once per pass of the
    // main loop, after the frame tick and before the redraw.
    void setOn(bool on);
    // Key O switches the overlay, key C the heat colouring. Returns true for
    // their presses and releases, which should go no further.
    bool handleEvent(const SoEvent* event);

    // The octree's leaves coloured by the box tests made in each over the
    // last second instead of by the records each holds, with a legend. Off at
    // start; it stays as set while the overlay is off.
    void setHeatShown(bool shown);
    bool heatShown() const { return heatMode; }
    // Whether moves should be told to heatMove: the overlay on and showing heat.
    bool countsHeat() const { return heatMode && isOn(); }
    // One move about to be tried in the index: its tests go into the heat.
    void heatMove(const CollisionIndex& index, const CollisionObject& filed,
                  const CollisionObject& tried);
    // The heat counts; null until the heat is first shown.
    const SoLeafHeat* heat() const { return leafHeat; }

    // Tells the overlay of one move tried in the tree: the tried record and
    // whether the tree refused it. The signature suits a C observer hook.
    static void observeMove(void* view, const CollisionObject& tried, bool refused);
    void moveTried(const CollisionObject& tried, bool refused);
    // Has the next update read the tree again (moves imply it).
    void treeChanged() { treeMayHaveChanged = true; }

    // Reads the tree if it may have changed, and rebuilds only what differs
    // from what is shown: the leaf lines, the refused boxes, the text.
    void update(const SbTime& now);

    // The seed of the city shown, for the line of numbers.
    int seed;

    struct Numbers {
        int nodes = 0;
        // As the index gives them (IndexNumbers).
        int records = 0;
        int deepest = 0;
        int leaves = 0;
        double testsPerMove = 0;
        int tried = 0;    // moves tried in the last second
        int refused = 0;  // of those, refused
    };
    const Numbers& numbers() const { return shown; }
    // How often the leaf lines were rebuilt since construction.
    unsigned long leafRebuilds() const { return leafRebuildCount; }

    // Octree leaves are coloured by record count: 1, 2, 3, 4, and more than 4
    // (a crowded leaf that kept its records instead of splitting).
    static constexpr int countClasses = 5;
    static const SbColor countColours[countClasses];
    // Inner nodes of the dynamic tree are coloured in bands of depth, from the
    // root down to the deepest, and leaves in a colour of their own.
    static constexpr int depthClasses = 6;
    static const SbColor depthColours[depthClasses];
    static const SbColor dbvtLeafColour;
    static const SbColor recordColour;
    // Line sets, enough for any index's colours.
    static constexpr int lineClasses = depthClasses + 1;
    static const SbColor refusedColour;
    static constexpr double flashSeconds = 0.5;
    // Indices into a box's eight corners (corner k: bit 2 upper x, bit 1
    // upper y, bit 0 upper z) drawing its twelve edges as four polylines.
    static constexpr int boxIndexCount = 20;
    static const int boxIndices[boxIndexCount];

    // The geometry, shared with tests: leafLines[c] draws the boxes of class
    // c over leafCorners in leafColours[c]; refusedLines draws the refused
    // boxes.
    SoCoordinate3* leafCorners;
    SoIndexedLineSet* leafLines[lineClasses];
    SoBaseColor* leafColours[lineClasses];
    SoCoordinate3* refusedCorners;
    SoIndexedLineSet* refusedLines;
    SoText2* numbersText;
    // The legend of the heat colouring under the line: a white text with the
    // heading and each band's range, then a swatch for each band in its
    // colour; empty until the heat is first shown.
    std::vector<SoText2*> legendTexts;

private:
    // A box drawn and the class of its colour.
    struct Leaf {
        SbVec3f min;
        SbVec3f max;
        int colourClass;
        bool operator==(const Leaf& other) const {
            return colourClass == other.colourClass && min == other.min && max == other.max;
        }
    };
    struct Flash {
        SbBox3f box;
        SbTime until;
    };
    struct FrameMoves {
        SbTime at;
        int tried;
        int refused;
    };

    static void visitBox(void* view, const SbBox3f& box, IndexBoxKind kind, int level);
    static int colourClassOf(IndexBoxKind kind, int level, int height);
    static void onSensor(void* view, SoSensor* sensor);
    // The index shown: the set's active one, or the one given.
    const CollisionIndex& shownIndex() const;
    void readTree();
    void setColours(IndexBoxKind kind);
    void refreshLeafLines();
    void rebuildLeafLines();
    void showHeatLegend();
    void updateLegend();
    void updateFlashes(const SbTime& now);
    void countMoves(const SbTime& now);
    void updateText();

    const CollisionIndex* index;
    const IndexSet* indexes;
    // The index the lines show, null before the first reading, and the kind
    // of boxes the colours are for.
    const CollisionIndex* indexShown;
    IndexBoxKind kindShown;
    // The index's figures at the last reading, as it gives them.
    std::string shownFigures;
    SoSwitch* sceneGraph;
    SoOneShotSensor* sensor;
    bool treeMayHaveChanged;

    std::vector<Leaf> leaves;  // as read, in walk order, in record-count classes
    std::vector<Leaf> drawn;   // as drawn: leaves, or in heat bands
    bool linesMayChange;
    std::vector<Leaf> reading;  // the walk in progress; colourClass holds the level
    std::vector<IndexBoxKind> readingKinds;
    Numbers shown;
    Numbers counting;
    unsigned long leafRebuildCount;

    // One flash per mover (its record's owner; null for the camera).
    std::map<const void*, Flash> flashes;
    std::vector<SbBox3f> flashBoxes;  // shown

    int triedSinceUpdate;
    int refusedSinceUpdate;
    std::deque<FrameMoves> lastSecond;
    std::string text;

    bool heatMode;
    SoLeafHeat* leafHeat;
    SoSeparator* overlay;
    SoSeparator* legendPart;  // added to the overlay when the heat is first shown
    std::vector<std::vector<std::string>> legendLines;  // as the texts show them
};

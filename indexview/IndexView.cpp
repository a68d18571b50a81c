#include "indexview/IndexView.h"

#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoAnnotation.h>
#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoDrawStyle.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoResetTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <algorithm>
#include <cstdio>

#include "indexview/BoxLines.h"
#include "indexview/SoLeafHeat.h"
#include "octree/CollisionObject.h"
#include "spatialindex/IndexSet.h"
#include "spatialindex/OctTreeIndex.h"

namespace {

using namespace boxlines;

// After the frame tick (default priority 100), before any redraw (10000).
const uint32_t sensorPriority = 200;

// Text in screen space from the top left: this camera maps -1..1 onto the
// whole viewport.
SoSeparator* newScreenTextPart() {
    SoSeparator* part = new SoSeparator;
    SoOrthographicCamera* camera = new SoOrthographicCamera;
    camera->viewportMapping = SoCamera::LEAVE_ALONE;
    camera->position.setValue(0, 0, 5);
    camera->height = 2;
    part->addChild(camera);
    SoFont* font = new SoFont;
    font->size = 12;
    part->addChild(font);
    SoTranslation* topLeft = new SoTranslation;
    topLeft->translation.setValue(-0.98f, 0.94f, 0);
    part->addChild(topLeft);
    return part;
}

void addColouredText(SoSeparator* part, const SbColor& rgb, SoText2* text) {
    SoBaseColor* colour = new SoBaseColor;
    colour->rgb = rgb;
    part->addChild(colour);
    part->addChild(text);
}

// The line of numbers, in white (its colour right after the camera).
SoSeparator* newTextPart(SoText2* text) {
    SoSeparator* part = newScreenTextPart();
    SoBaseColor* colour = new SoBaseColor;
    colour->rgb.setValue(1, 1, 1);
    part->insertChild(colour, 1);
    part->addChild(text);
    return part;
}

}  // namespace

const SbColor IndexView::countColours[countClasses] = {
    SbColor(0.2f, 0.9f, 0.3f),    // 1 record: green
    SbColor(0.95f, 0.9f, 0.2f),   // 2: yellow
    SbColor(1.0f, 0.55f, 0.1f),   // 3: orange
    SbColor(1.0f, 0.15f, 0.15f),  // 4, a full leaf: red
    SbColor(0.9f, 0.2f, 0.9f),    // more: magenta
};
// From the root's deep blue through violet to pink at the deepest level.
const SbColor IndexView::depthColours[depthClasses] = {
    SbColor(0.2f, 0.3f, 1.0f),  SbColor(0.45f, 0.3f, 1.0f), SbColor(0.65f, 0.3f, 0.95f),
    SbColor(0.8f, 0.3f, 0.85f), SbColor(0.9f, 0.35f, 0.7f), SbColor(1.0f, 0.45f, 0.6f),
};
const SbColor IndexView::dbvtLeafColour(0.3f, 1.0f, 0.4f);  // green
const SbColor IndexView::recordColour(1.0f, 0.8f, 0.2f);    // amber
const SbColor IndexView::refusedColour(0.1f, 0.95f, 1.0f);  // cyan

// Both faces across x as one loop through corner 0 and 4, then the three
// remaining edges along x.
const int IndexView::boxIndices[boxIndexCount] = {0,  1, 3, 2,  0, 4, 5,  7, 6, 4,
                                                  -1, 1, 5, -1, 3, 7, -1, 2, 6, -1};

IndexView::IndexView(const IndexSet* indexes)
    : IndexView(static_cast<const CollisionIndex*>(nullptr)) {
    this->indexes = indexes;
}

IndexView::IndexView(const CollisionIndex* index)
    : seed(0),
      index(index),
      indexes(nullptr),
      indexShown(nullptr),
      kindShown(INDEX_CELL),
      treeMayHaveChanged(true),
      linesMayChange(false),
      leafRebuildCount(0),
      triedSinceUpdate(0),
      refusedSinceUpdate(0),
      heatMode(false),
      leafHeat(nullptr),
      legendPart(nullptr) {
    sceneGraph = new SoSwitch;
    sceneGraph->ref();
    sceneGraph->whichChild = SO_SWITCH_NONE;

    // Drawn after the scene, over it.
    overlay = new SoAnnotation;
    sceneGraph->addChild(overlay);
    overlay->addChild(new SoResetTransform);
    overlay->addChild(new SoTexture2);  // no image: no texture
    SoLightModel* unlit = new SoLightModel;
    unlit->model = SoLightModel::BASE_COLOR;
    overlay->addChild(unlit);

    SoSeparator* leafPart = new SoSeparator;
    overlay->addChild(leafPart);
    SoDrawStyle* thin = new SoDrawStyle;
    thin->lineWidth = 1;
    leafPart->addChild(thin);
    leafCorners = newCoordinates();
    leafPart->addChild(leafCorners);
    for (int c = 0; c < lineClasses; ++c) {
        leafColours[c] = new SoBaseColor;
        leafPart->addChild(leafColours[c]);
        leafLines[c] = newLineSet();
        leafPart->addChild(leafLines[c]);
    }
    setColours(kindShown);

    SoSeparator* refusedPart = new SoSeparator;
    overlay->addChild(refusedPart);
    SoDrawStyle* thick = new SoDrawStyle;
    thick->lineWidth = 3;
    refusedPart->addChild(thick);
    SoBaseColor* colour = new SoBaseColor;
    colour->rgb = refusedColour;
    refusedPart->addChild(colour);
    refusedCorners = newCoordinates();
    refusedPart->addChild(refusedCorners);
    refusedLines = newLineSet();
    refusedPart->addChild(refusedLines);

    numbersText = new SoText2;
    overlay->addChild(newTextPart(numbersText));

    sensor = new SoOneShotSensor(onSensor, this);
    sensor->setPriority(sensorPriority);
}

IndexView::~IndexView() {
    delete sensor;
    if (leafHeat) {
        leafHeat->unref();
    }
    sceneGraph->unref();
}

bool IndexView::isOn() const {
    return sceneGraph->whichChild.getValue() != SO_SWITCH_NONE;
}

void IndexView::setOn(bool on) {
    if (on == isOn()) {
        return;
    }
    sceneGraph->whichChild = on ? 0 : SO_SWITCH_NONE;
    if (on) {
        treeMayHaveChanged = true;
        sensor->schedule();
        return;
    }
    // What happens while off is not counted; the next switch-on starts afresh.
    sensor->unschedule();
    flashes.clear();
    lastSecond.clear();
    triedSinceUpdate = 0;
    refusedSinceUpdate = 0;
    shown.tried = 0;
    shown.refused = 0;
    if (leafHeat) {
        leafHeat->clear();
    }
}

bool IndexView::handleEvent(const SoEvent* event) {
    if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::O)) {
        setOn(!isOn());
        return true;
    }
    if (SoKeyboardEvent::isKeyPressEvent(event, SoKeyboardEvent::C)) {
        setHeatShown(!heatShown());
        return true;
    }
    return SoKeyboardEvent::isKeyReleaseEvent(event, SoKeyboardEvent::O) ||
           SoKeyboardEvent::isKeyReleaseEvent(event, SoKeyboardEvent::C);
}

void IndexView::setHeatShown(bool shown) {
    if (shown == heatMode) {
        return;
    }
    heatMode = shown;
    if (heatMode && !leafHeat) {
        if (SoLeafHeat::getClassTypeId() == SoType::badType()) {
            SoLeafHeat::initClass();
        }
        leafHeat = new SoLeafHeat;
        leafHeat->ref();
    }
    // The counts start afresh each time the heat is shown.
    leafHeat->clear();
    if (heatMode && !legendPart) {
        showHeatLegend();
    }
    setColours(kindShown);
    linesMayChange = true;
    if (isOn()) {
        sensor->schedule();
    }
}

void IndexView::heatMove(const CollisionIndex& index, const CollisionObject& filed,
                         const CollisionObject& tried) {
    if (countsHeat()) {
        leafHeat->addMove(index, filed, tried);
    }
}

void IndexView::showHeatLegend() {
    legendPart = newScreenTextPart();
    overlay->addChild(legendPart);
    const int texts = 1 + std::min(leafHeat->bandCount(), lineClasses);
    for (int t = 0; t < texts; ++t) {
        SoText2* text = new SoText2;
        text->string.setNum(0);
        legendTexts.push_back(text);
        addColouredText(legendPart, t == 0 ? SbColor(1, 1, 1) : leafHeat->bandColor(t - 1), text);
    }
    legendLines.assign(texts, std::vector<std::string>());
}

void IndexView::onSensor(void* view, SoSensor* sensor) {
    IndexView* self = static_cast<IndexView*>(view);
    self->update(SbTime::getTimeOfDay());
    if (self->isOn()) {
        static_cast<SoOneShotSensor*>(sensor)->schedule();
    }
}

void IndexView::observeMove(void* view, const CollisionObject& tried, bool refused) {
    static_cast<IndexView*>(view)->moveTried(tried, refused);
}

void IndexView::moveTried(const CollisionObject& tried, bool refused) {
    // Every move takes a record out and files one, so the tree may change.
    treeMayHaveChanged = true;
    ++triedSinceUpdate;
    if (refused) {
        ++refusedSinceUpdate;
        if (tried.box) {
            // The flash starts at the next update.
            flashes[tried.owner] = Flash{*tried.box, SbTime::zero()};
        }
    }
}

void IndexView::update(const SbTime& now) {
    countMoves(now);
    if (heatMode) {
        leafHeat->advance(now);
        linesMayChange = true;
    }
    if (treeMayHaveChanged || &shownIndex() != indexShown) {
        treeMayHaveChanged = false;
        readTree();
    }
    refreshLeafLines();
    updateFlashes(now);
    updateText();
}

const CollisionIndex& IndexView::shownIndex() const {
    return indexes ? indexes->active() : *index;
}

void IndexView::setColours(IndexBoxKind kind) {
    for (int c = 0; c < lineClasses; ++c) {
        SbColor colour = recordColour;
        if (kind == INDEX_CELL && heatMode) {
            colour = leafHeat->bandColor(c);
        } else if (kind == INDEX_CELL) {
            colour = countColours[std::min(c, countClasses - 1)];
        } else if (kind == INDEX_NODE || kind == INDEX_NODE_LEAF) {
            colour = c < depthClasses ? depthColours[c] : dbvtLeafColour;
        }
        leafColours[c]->rgb = colour;
    }
}

void IndexView::visitBox(void* view, const SbBox3f& box, IndexBoxKind kind, int level) {
    IndexView* self = static_cast<IndexView*>(view);
    self->reading.push_back(Leaf{box.getMin(), box.getMax(), level});
    self->readingKinds.push_back(kind);
}

int IndexView::colourClassOf(IndexBoxKind kind, int level, int height) {
    switch (kind) {
        case INDEX_CELL:
            return std::min(level, countClasses) - 1;
        case INDEX_NODE: {
            // Depth bands spread over the tree's height; the deepest inner
            // nodes take the last band.
            const int band = level * depthClasses / std::max(height, 1);
            return std::min(band, depthClasses - 1);
        }
        case INDEX_NODE_LEAF:
            return depthClasses;
        case INDEX_RECORD:
            break;
    }
    return 0;
}

void IndexView::readTree() {
    reading.clear();
    readingKinds.clear();
    const CollisionIndex& index = shownIndex();
    const IndexNumbers numbers = index.walkBoxes(visitBox, this);
    for (std::size_t i = 0; i < reading.size(); ++i) {
        reading[i].colourClass =
            colourClassOf(readingKinds[i], reading[i].colourClass, numbers.depth);
    }
    shown.nodes = numbers.nodes;
    shown.records = numbers.records;
    shown.deepest = numbers.depth;
    shown.leaves = numbers.leaves;
    shown.testsPerMove = numbers.testsPerMove;
    shownFigures = index.describe(numbers);
    if (&index != indexShown) {
        indexShown = &index;
        leaves.clear();
        drawn.clear();
        rebuildLeafLines();
    }
    // The colours follow the kind of boxes shown; an empty index keeps them.
    if (!readingKinds.empty() && readingKinds.front() != kindShown) {
        kindShown = readingKinds.front();
        setColours(kindShown);
    }
    if (reading != leaves) {
        leaves.swap(reading);
        linesMayChange = true;
    }
}

void IndexView::refreshLeafLines() {
    if (!linesMayChange) {
        return;
    }
    linesMayChange = false;
    std::vector<Leaf> wanted = leaves;
    if (heatMode && kindShown == INDEX_CELL) {
        for (Leaf& leaf : wanted) {
            const int band = leafHeat->bandOf(leafHeat->testsIn(SbBox3f(leaf.min, leaf.max)));
            leaf.colourClass = std::min(band, lineClasses - 1);
        }
    }
    if (wanted != drawn) {
        drawn.swap(wanted);
        rebuildLeafLines();
    }
}

void IndexView::rebuildLeafLines() {
    ++leafRebuildCount;
    const int count = static_cast<int>(drawn.size());
    leafCorners->point.setNum(8 * count);
    SbVec3f* corners = leafCorners->point.startEditing();
    int perClass[lineClasses] = {};
    for (int i = 0; i < count; ++i) {
        putCorners(corners + 8 * i, drawn[i].min, drawn[i].max);
        ++perClass[drawn[i].colourClass];
    }
    leafCorners->point.finishEditing();

    int32_t* indices[lineClasses];
    for (int c = 0; c < lineClasses; ++c) {
        leafLines[c]->coordIndex.setNum(boxIndexCount * perClass[c]);
        indices[c] = leafLines[c]->coordIndex.startEditing();
    }
    for (int i = 0; i < count; ++i) {
        const int c = drawn[i].colourClass;
        putBoxIndices(indices[c], 8 * i);
        indices[c] += boxIndexCount;
    }
    for (int c = 0; c < lineClasses; ++c) {
        leafLines[c]->coordIndex.finishEditing();
    }
}

void IndexView::updateFlashes(const SbTime& now) {
    std::vector<SbBox3f> boxes;
    for (auto it = flashes.begin(); it != flashes.end();) {
        Flash& flash = it->second;
        if (flash.until == SbTime::zero()) {
            flash.until = now + SbTime(flashSeconds);
        }
        if (flash.until <= now) {
            it = flashes.erase(it);
            continue;
        }
        boxes.push_back(flash.box);
        ++it;
    }
    if (boxes == flashBoxes) {
        return;
    }
    flashBoxes.swap(boxes);
    const int count = static_cast<int>(flashBoxes.size());
    refusedCorners->point.setNum(8 * count);
    SbVec3f* corners = refusedCorners->point.startEditing();
    refusedLines->coordIndex.setNum(boxIndexCount * count);
    int32_t* indices = refusedLines->coordIndex.startEditing();
    for (int i = 0; i < count; ++i) {
        putCorners(corners + 8 * i, flashBoxes[i].getMin(), flashBoxes[i].getMax());
        putBoxIndices(indices + boxIndexCount * i, 8 * i);
    }
    refusedCorners->point.finishEditing();
    refusedLines->coordIndex.finishEditing();
}

void IndexView::countMoves(const SbTime& now) {
    if (triedSinceUpdate > 0) {
        lastSecond.push_back(FrameMoves{now, triedSinceUpdate, refusedSinceUpdate});
        shown.tried += triedSinceUpdate;
        shown.refused += refusedSinceUpdate;
        triedSinceUpdate = 0;
        refusedSinceUpdate = 0;
    }
    while (!lastSecond.empty() && now - lastSecond.front().at >= SbTime(1.0)) {
        shown.tried -= lastSecond.front().tried;
        shown.refused -= lastSecond.front().refused;
        lastSecond.pop_front();
    }
}

void IndexView::updateText() {
    const std::string figures = std::string(shownIndex().name()) + "  " + shownFigures;
    char accepted[16] = "-";
    if (shown.tried > 0) {
        std::snprintf(accepted, sizeof accepted, "%.1f%%",
                      100.0 * (shown.tried - shown.refused) / shown.tried);
    }
    char line[240];
    std::snprintf(line, sizeof line, "%s  moves/s %d  refused/s %d  accepted %s  seed %d",
                  figures.c_str(), shown.tried, shown.refused, accepted, seed);
    if (text != line) {
        text = line;
        numbersText->string.setValue(line);
    }
    if (legendPart) {
        updateLegend();
    }
}

void IndexView::updateLegend() {
    // Under the line of numbers: the heading, then a swatch of each band's
    // colour (a text of its own) followed by its range in white.
    std::vector<std::vector<std::string>> lines(legendTexts.size());
    if (heatMode && dynamic_cast<const OctTreeIndex*>(&shownIndex()) == nullptr) {
        lines[0] = {"", "heat (C): octree only"};
    } else if (heatMode) {
        char heading[96];
        std::snprintf(heading, sizeof heading, "heat (C): box tests per leaf, last %g s",
                      leafHeat->window.getValue().getValue());
        lines[0] = {"", heading};
        for (std::size_t t = 1; t < lines.size(); ++t) {
            lines[0].push_back("      " + leafHeat->bandRange(static_cast<int>(t) - 1));
            lines[t].assign(t + 1, "");
            lines[t].push_back("####");
        }
    }
    for (std::size_t t = 0; t < lines.size(); ++t) {
        if (lines[t] != legendLines[t]) {
            legendLines[t] = lines[t];
            setLines(legendTexts[t], lines[t]);
        }
    }
}

#pragma once

#include <Inventor/SbViewportRegion.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/sensors/SoNodeSensor.h>

#include <vector>

class SoCoordinate3;
class SoIndexedTriangleStripSet;
class SoOrthographicCamera;
class SoPerfGraph;
class SoSensor;
class SoText2;
class SoTexture2;
class SoTextureCoordinate2;
class SoTranslation;

// Bytes per texel of the graph image: red, green, blue, alpha.
constexpr int TEXTURE_COMPONENTS = 4;

// The private state of one SoPerfGraph: the sample ring, the image state and
// the internal sub-graph that draws the graph.
struct PerfGraphData {
    explicit PerfGraphData(SoPerfGraph* owner);
    PerfGraphData(const PerfGraphData&) = delete;
    PerfGraphData& operator=(const PerfGraphData&) = delete;

    // Places the quad and labels for viewport, aims the camera at the chosen
    // screen origin and, when rendering, rebuilds the image if its
    // power-of-two size changed.
    void updateLayout(const SbViewportRegion& viewport, bool rendering);
    // Repaints the visible rows from the ring, oldest in row 0.
    void redrawImage();
    // Scrolls the quad's texture window so that row nextRow - 1 is at the right edge.
    void updateTexCoords(int rows);
    // Re-lays the ring to newNumValues slots, keeping the newest samples in order.
    void resizeBuffer(int newNumValues);

    static void onFieldChanged(void* record, SoSensor* sensor);

    std::vector<float> values;
    std::vector<double> times;
    int numValues = 0;
    int startIndex = 0;
    float maxValue = 0;
    float scale = 0;
    int imageRows = 0;
    int imageRowLength = 0;
    float visibleRowFraction = 1.0f;
    int nextRow = 0;
    SoChildList childList;
    SoPerfGraph* ownerNode;
    SoOrthographicCamera* graphCamera = nullptr;
    SoCoordinate3* quadCoords = nullptr;
    SoIndexedTriangleStripSet* quad = nullptr;
    SoTexture2* graphTexture = nullptr;
    SoTextureCoordinate2* quadTexCoords = nullptr;
    SoTranslation* scaleLabelOffset = nullptr;
    SoTranslation* averageLabelOffset = nullptr;
    SoText2* scaleLabel = nullptr;
    SoText2* averageLabel = nullptr;
    double lastLabelTime = 0.0;
    SbViewportRegion lastViewport;
    SoNodeSensor fieldSensor;
    unsigned originValid : 1;
    unsigned placementValid : 1;
    unsigned sizeValid : 1;
    unsigned resizePending : 1;

private:
    void buildSubGraph();
};

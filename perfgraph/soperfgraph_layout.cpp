#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>

#include <cstring>

#include "perfgraph/internal/PerfGraphAssert.h"
#include "perfgraph/internal/PerfGraphData.h"
#include "perfgraph/SoPerfGraph.h"

namespace {

const unsigned char barTexel[TEXTURE_COMPONENTS] = {0, 128, 255, 255};
const unsigned char backgroundTexel[TEXTURE_COMPONENTS] = {0, 0, 128, 128};

// Keeps the image the graph draws into within common texture limits and within
// the image field's 16-bit size, whatever dataScale a file or caller sets (0
// would make the counts infinite).
const int maxGraphImageSide = 4096;

// x rounded to the nearest whole number, with anything not positive as 0.
int roundedCount(float x) {
    if (!(x > 0)) {
        return 0;
    }
    if (x >= maxGraphImageSide) {
        return maxGraphImageSide;
    }
    return static_cast<int>(x + 0.5f);
}

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) {
        p *= 2;
    }
    return p;
}

void fillTexels(unsigned char* texel, int count, const unsigned char* colour) {
    for (int i = 0; i < count; ++i, texel += TEXTURE_COMPONENTS) {
        std::memcpy(texel, colour, TEXTURE_COMPONENTS);
    }
}

}  // namespace

void PerfGraphData::updateLayout(const SbViewportRegion& viewport, bool rendering) {
    const SoPerfGraph& node = *ownerNode;
    bool viewportChanged = !(viewport == lastViewport);

    if (viewportChanged || !placementValid || !sizeValid) {
        placementValid = 1;
        sizeValid = 1;
        SbVec2s window = viewport.getWindowSize();
        float px = 1.0f / (window[0] > 0 ? window[0] : 1);
        float py = 1.0f / (window[1] > 0 ? window[1] : 1);

        SbVec2s extraSize = node.sizeInPixels.getValue();
        SbVec2f fraction = node.size.getValue();
        float w = extraSize[0] * px + fraction[0];
        float h = extraSize[1] * py + fraction[1];

        float ax = 0;
        switch (node.horAlignment.getValue()) {
            case SoPerfGraph::CENTER:
                ax = -w / 2;
                break;
            case SoPerfGraph::RIGHT:
                ax = -w;
                break;
            default:
                break;
        }
        float ay = 0;
        switch (node.vertAlignment.getValue()) {
            case SoPerfGraph::HALF:
                ay = -h / 2;
                break;
            case SoPerfGraph::TOP:
                ay = -h;
                break;
            default:
                break;
        }

        SbVec2s offset = node.positionInPixels.getValue();
        SbVec2f anchor = node.position.getValue();
        float x0 = offset[0] * px + anchor[0] + ax;
        float y0 = offset[1] * py + anchor[1] + ay;
        float x1 = x0 + w;
        float y1 = y0 + h;

        const SbVec3f corners[4] = {SbVec3f(x0, y0, -5), SbVec3f(x1, y0, -5), SbVec3f(x0, y1, -5),
                                    SbVec3f(x1, y1, -5)};
        quadCoords->point.setValues(0, 4, corners);
        scaleLabelOffset->translation.setValue(x0 + 1.5f * px, y1 - 11.5f * py, -4);
        // Relative to the scale label: the right-justified average ends 1.5
        // pixels inside the right edge, 1.5 pixels above the bottom.
        averageLabelOffset->translation.setValue(x1 - 3 * px - x0, y0 - (y1 - 13 * py), -3);

        SbVec2f pixelsPerTexel = node.dataScale.getValue();
        int columns = roundedCount((w / px) / pixelsPerTexel[0]);
        int steps = roundedCount((h / py) / pixelsPerTexel[1]);
        imageRows = powerOfTwoAtLeast(columns);
        imageRowLength = powerOfTwoAtLeast(steps);

        SbVec2s texSize;
        int components = 0;
        graphTexture->image.getValue(texSize, components);
        if (texSize[0] != imageRowLength || texSize[1] != imageRows) {
            resizePending = 1;
            visibleRowFraction = float(columns) / imageRows;
        }
    }

    if (viewportChanged || !originValid) {
        originValid = 1;
        float cx = 0;
        switch (node.horScreenOrigin.getValue()) {
            case SoPerfGraph::LEFT:
                cx = 0.5f;
                break;
            case SoPerfGraph::RIGHT:
                cx = -0.5f;
                break;
            default:
                break;
        }
        float cy = 0;
        switch (node.vertScreenOrigin.getValue()) {
            case SoPerfGraph::BOTTOM:
                cy = 0.5f;
                break;
            case SoPerfGraph::TOP:
                cy = -0.5f;
                break;
            default:
                break;
        }
        graphCamera->position.setValue(cx, cy, 1);
        lastViewport = viewport;
    }

    if (rendering && resizePending) {
        resizePending = 0;
        SbVec2s texSize;
        int components = 0;
        graphTexture->image.getValue(texSize, components);
        if (texSize[0] != imageRowLength || texSize[1] != imageRows) {
            resizeBuffer(static_cast<int>(imageRows * visibleRowFraction + 0.5f) + 20);
            SbVec2s newSize(static_cast<short>(imageRowLength), static_cast<short>(imageRows));
            graphTexture->image.setValue(newSize, TEXTURE_COMPONENTS, nullptr);
            // Rows outside the visible window are never shown, but start them
            // defined rather than with whatever the allocation held.
            unsigned char* pixels = graphTexture->image.startEditing(texSize, components);
            if (pixels) {
                fillTexels(pixels, texSize[0] * texSize[1], backgroundTexel);
            }
            graphTexture->image.finishEditing();
            redrawImage();
            updateTexCoords(imageRows);
        }
    }
}

int SoPerfGraph::drawValue(unsigned char* row, int length, float value) {
    float scale = data->scale;
    int bar = 0;
    if (scale > 0 && value > 0) {
        // An infinite sample over an infinite scale gives NaN: no bar.
        float texels = value / scale * length;
        if (texels >= length) {
            bar = length;
        } else if (texels > 0) {
            bar = static_cast<int>(texels);
        }
    }
    fillTexels(row, bar, barTexel);
    fillTexels(row + bar * TEXTURE_COMPONENTS, length - bar, backgroundTexel);
    return length;
}

void PerfGraphData::redrawImage() {
    SbVec2s texSize;
    int components = 0;
    unsigned char* base = graphTexture->image.startEditing(texSize, components);
    if (!base) {
        graphTexture->image.finishEditing();
        return;
    }
    int c = static_cast<int>(texSize[1] * visibleRowFraction + 0.5f);
    PERFGRAPH_ASSERT(c <= texSize[1], "c <= texSize[1]", nullptr);
    // Until the next rebuild the ring can hold fewer samples than the
    // fraction asks for (a bounding box for another viewport changed it).
    if (c > numValues) {
        c = numValues;
    }
    nextRow = c == texSize[1] ? 0 : c;

    int i = startIndex - c;
    if (i < 0) {
        i += numValues;
    }
    unsigned char* img = base;
    for (int n = 0; n < c; ++n) {
        ownerNode->drawValue(img, texSize[0], values[i]);
        img += texSize[0] * TEXTURE_COMPONENTS;
        if (++i == numValues) {
            i = 0;
        }
    }
    PERFGRAPH_ASSERT(i == startIndex, "i==startIndex", "Final index is not equal startIndex.");
    PERFGRAPH_ASSERT(img - base <= texSize[0] * texSize[1] * TEXTURE_COMPONENTS,
                     "img-base <= texSize[0]*texSize[1]*TEXTURE_COMPONENTS", nullptr);
    graphTexture->image.finishEditing();
}

void PerfGraphData::updateTexCoords(int rows) {
    float tEnd = float(nextRow) / rows;
    float tStart = tEnd - visibleRowFraction;
    SbVec2f* points = quadTexCoords->point.startEditing();
    points[0].setValue(0, tStart);
    points[1].setValue(0, tEnd);
    points[2].setValue(1, tStart);
    points[3].setValue(1, tEnd);
    quadTexCoords->point.finishEditing();
}

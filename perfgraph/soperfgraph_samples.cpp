#include <Inventor/SbTime.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>

#include <cmath>
#include <cstdio>

#include "perfgraph/SoPerfGraph.h"
#include "perfgraph/internal/PerfGraphAssert.h"
#include "perfgraph/internal/PerfGraphData.h"

namespace {

// The average label is reformatted at most this often.
const double labelInterval = 0.35;
// The average covers the samples of this last stretch of time.
const double averageWindow = 1.0;

}  // namespace

float niceCeiling(float x) {
    float sign = x < 0 ? -1.0f : 1.0f;
    float a = std::fabs(x);
    if (a == 0) {
        return 1;
    }
    if (a / 10 == a) {
        return a;
    }
    float m = 1;
    if (a > 1) {
        while (a > 10) {
            a /= 10;
            m *= 10;
        }
    } else {
        while (a < 1) {
            a *= 10;
            m /= 10;
        }
    }
    // Rounded up in floating point, so that a NaN fails the check instead of
    // reaching an undefined conversion.
    float d = std::trunc(a);
    if (d != a) {
        d += 1;
    }
    PERFGRAPH_ASSERT(d >= 1, "i>=1", nullptr);
    int i = static_cast<int>(d);
    int n = i >= 7 ? 10 : i >= 5 ? 6 : i >= 3 ? 4 : 2;
    return n * sign * m;
}

void SoPerfGraph::addValue(float value) {
    addSample(value, nullptr);
}

void SoPerfGraph::addValue(float value, double timeOfDay) {
    addSample(value, &timeOfDay);
}

void SoPerfGraph::addSample(float value, const double* timeOfDay) {
    // A NaN would become the maximum, the scale and the average for good.
    if (std::isnan(value)) {
        return;
    }
    PerfGraphData& d = *data;

    float newScale = d.scale;
    if (value > d.maxValue) {
        d.maxValue = value;
        newScale = niceCeiling(d.maxValue);
    } else if (d.values[d.startIndex] == d.maxValue) {
        // The maximum is about to leave the ring: find the new one.
        d.values[d.startIndex] = value;
        float largest = value;
        for (float v : d.values) {
            if (v > largest) {
                largest = v;
            }
        }
        d.maxValue = largest;
        newScale = niceCeiling(d.maxValue);
    }
    if (newScale != d.scale) {
        // Shrink only when the maximum plus 10 % fits under a smaller scale,
        // so that the scale does not flicker around a boundary.
        if (newScale < d.scale) {
            newScale = niceCeiling(d.maxValue * 1.1f);
        }
        if (newScale != d.scale) {
            d.scale = newScale;
            d.redrawImage();
            char text[32];
            std::snprintf(text, sizeof text, "%.5g", d.scale);
            d.scaleLabel->string = text;
        }
    }

    // A rescale repaints the whole image; the sample's time is read after it.
    const double now = timeOfDay ? *timeOfDay : SbTime::getTimeOfDay().getValue();
    d.values[d.startIndex] = value;
    d.times[d.startIndex] = now;

    if (now >= d.lastLabelTime + labelInterval) {
        d.lastLabelTime = now;
        float sum = value;
        int count = 1;
        int j = d.startIndex;
        for (;;) {
            j = j == 0 ? d.numValues - 1 : j - 1;
            if (j == d.startIndex || d.times[j] <= now - averageWindow) {
                break;
            }
            sum += d.values[j];
            ++count;
        }
        char text[48];
        std::snprintf(text, sizeof text, "avg: %#.5g", sum / count);
        d.averageLabel->string = text;
    }

    if (++d.startIndex == d.numValues) {
        d.startIndex = 0;
    }

    SbVec2s texSize;
    int components = 0;
    unsigned char* pixels = d.graphTexture->image.startEditing(texSize, components);
    if (pixels) {
        if (d.nextRow >= texSize[1]) {
            d.nextRow = 0;
        }
        drawValue(pixels + d.nextRow * texSize[0] * TEXTURE_COMPONENTS, texSize[0], value);
        if (++d.nextRow == texSize[1]) {
            d.nextRow = 0;
        }
    }
    d.graphTexture->image.finishEditing();
    // Before the first render there is no image; that render sets the coordinates.
    if (pixels) {
        d.updateTexCoords(texSize[1]);
    }
}

void PerfGraphData::resizeBuffer(int newNumValues) {
    std::vector<float> newValues(newNumValues, 0.0f);
    std::vector<double> newTimes(newNumValues, 0.0);
    int newIndex = 0;
    int grow = newNumValues - numValues;
    if (grow > 0) {
        newIndex = grow;
    }
    // The newest samples in arrival order; when shrinking, the oldest are dropped.
    int kept = numValues < newNumValues ? numValues : newNumValues;
    int source = (startIndex + (numValues - kept)) % numValues;
    for (int n = 0; n < kept; ++n) {
        newValues[newIndex] = values[source];
        newTimes[newIndex] = times[source];
        ++newIndex;
        if (++source == numValues) {
            source = 0;
        }
    }
    if (newIndex == newNumValues) {
        newIndex = 0;
    }
    PERFGRAPH_ASSERT(newIndex < newNumValues, "newIndex < newNumValues", "Bad index.");

    values.swap(newValues);
    times.swap(newTimes);
    startIndex = newIndex;
    numValues = newNumValues;
}

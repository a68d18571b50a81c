#include "indexview/SoLeafHeat.h"

#include <algorithm>
#include <cstdio>

#include "spatialindex/CollisionIndex.h"
#include "spatialindex/OctTreeIndex.h"

/*!
  \class SoLeafHeat
  The box tests an octree made in each of its leaves over the last window
  seconds, kept per leaf region, and the colour bands the overlay draws the
  sums in. Tests are counted as the moves come (addMove, addTests) and
  stamped with the time of the next advance(), which also forgets the ones
  stamped window seconds or more before it: a sliding window over the steps.

  FILE FORMAT/DEFAULTS:
  \code
    SoLeafHeat {
        window 1
        bandLimits [ 1, 10, 100, 1000 ]
        bandColors [ 0.3 0.35 0.6, 0.65 0.15 0.1, 1 0.4 0.05, 1 0.85 0.15, 1 1 0.9 ]
    }
  \endcode
*/

/*!
  \var SoSFTime SoLeafHeat::window
  How long a test counts, in seconds: a sum holds the tests stamped less than
  this before the last advance. Default 1.
*/
/*!
  \var SoMFInt32 SoLeafHeat::bandLimits
  The least sum of each band after the first, rising: band 0 holds the sums
  below the first limit, band k those from limit k-1 up to below limit k,
  the last band those from the last limit up. Default [1, 10, 100, 1000]:
  0, 1-9, 10-99, 100-999 and 1000 or more tests.
*/
/*!
  \var SoMFColor SoLeafHeat::bandColors
  The colour of each band, from cold to hot; bands past the end take the last
  colour. Default: slate blue for no tests, then red, orange, yellow and
  white, as a body glows hotter.
*/

SO_NODE_SOURCE(SoLeafHeat);

void SoLeafHeat::initClass() {
    SO_NODE_INIT_CLASS(SoLeafHeat, SoNode, "Node");
}

SoLeafHeat::SoLeafHeat() {
    SO_NODE_CONSTRUCTOR(SoLeafHeat);
    SO_NODE_ADD_FIELD(window, (1.0));
    SO_NODE_ADD_FIELD(bandLimits, (1));
    SO_NODE_ADD_FIELD(bandColors, (0.3f, 0.35f, 0.6f));
    const int32_t limits[] = {1, 10, 100, 1000};
    bandLimits.setValues(0, 4, limits);
    bandLimits.setDefault(TRUE);
    const float colours[][3] = {
        {0.3f, 0.35f, 0.6f},  {0.65f, 0.15f, 0.1f}, {1.0f, 0.4f, 0.05f},
        {1.0f, 0.85f, 0.15f}, {1.0f, 1.0f, 0.9f},
    };
    bandColors.setValues(0, 5, colours);
    bandColors.setDefault(TRUE);
}

SoLeafHeat::~SoLeafHeat() = default;

SoLeafHeat::Key SoLeafHeat::keyOf(const SbBox3f& region) {
    const SbVec3f& min = region.getMin();
    const SbVec3f& max = region.getMax();
    return Key{min[0], min[1], min[2], max[0], max[1], max[2]};
}

void SoLeafHeat::addMove(const CollisionIndex& index, const CollisionObject& filed,
                         const CollisionObject& tried) {
    // Only the octree's boxes are leaves; the other indexes are not asked.
    if (dynamic_cast<const OctTreeIndex*>(&index) == nullptr) {
        return;
    }
    MoveExplanation explanation;
    index.explainMove(filed, tried, explanation, true);
    // The visited boxes, their kinds and their tests run in step.
    for (std::size_t i = 0; i < explanation.visitedBoxes.size(); ++i) {
        if (explanation.visitedKinds[i] == INDEX_CELL) {
            addTests(explanation.visitedBoxes[i], explanation.visitedTests[i]);
        }
    }
}

void SoLeafHeat::addTests(const SbBox3f& region, int tests) {
    if (tests > 0) {
        pending[keyOf(region)] += tests;
    }
}

void SoLeafHeat::advance(const SbTime& now) {
    if (!pending.empty()) {
        Bucket bucket{now, {}};
        bucket.tests.reserve(pending.size());
        for (const auto& entry : pending) {
            bucket.tests.push_back(entry);
            totals[entry.first] += entry.second;
        }
        buckets.push_back(std::move(bucket));
        pending.clear();
    }
    const SbTime span(window.getValue());
    while (!buckets.empty() && now - buckets.front().at >= span) {
        for (const auto& entry : buckets.front().tests) {
            auto total = totals.find(entry.first);
            total->second -= entry.second;
            if (total->second <= 0) {
                totals.erase(total);
            }
        }
        buckets.pop_front();
    }
}

void SoLeafHeat::clear() {
    pending.clear();
    buckets.clear();
    totals.clear();
}

int SoLeafHeat::testsIn(const SbBox3f& region) const {
    const auto total = totals.find(keyOf(region));
    return total == totals.end() ? 0 : total->second;
}

int SoLeafHeat::bandOf(int tests) const {
    int band = 0;
    while (band < bandLimits.getNum() && tests >= bandLimits[band]) {
        ++band;
    }
    return band;
}

SbColor SoLeafHeat::bandColor(int band) const {
    const int colours = bandColors.getNum();
    if (colours == 0) {
        return SbColor(1, 1, 1);
    }
    return bandColors[std::min(band, colours - 1)];
}

std::string SoLeafHeat::bandRange(int band) const {
    const int limits = bandLimits.getNum();
    const int low = band == 0 ? 0 : bandLimits[band - 1];
    char text[32];
    if (band >= limits) {
        std::snprintf(text, sizeof text, "%d+", low);
    } else if (bandLimits[band] - 1 <= low) {
        std::snprintf(text, sizeof text, "%d", low);
    } else {
        std::snprintf(text, sizeof text, "%d-%d", low, bandLimits[band] - 1);
    }
    return text;
}

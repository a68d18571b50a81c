#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbTime.h>
#include <Inventor/fields/SoMFColor.h>
#include <Inventor/fields/SoMFInt32.h>
#include <Inventor/fields/SoSFTime.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSubNode.h>

#include <array>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CollisionIndex;
class CollisionObject;

// The work the octree did in each of its leaves lately: the box tests the
// moves made there, summed over a sliding window of time, and the colour band
// each sum falls in. Moves are counted as they come and stamped at the next
// advance. It draws nothing; the overlay reads it. The fields are documented
// in SoLeafHeat.cpp.
class SoLeafHeat : public SoNode {
    typedef SoNode inherited;

    SO_NODE_HEADER(SoLeafHeat);

public:
    // Registers the class; once, after the scene library is initialised.
    static void initClass();
    SoLeafHeat();

    SoSFTime window;
    SoMFInt32 bandLimits;
    SoMFColor bandColors;

    // One move tried in the index: when it is an octree, asks it what the
    // move would test (explainMove, with boxes) and counts the tests in each
    // leaf reached. Call it before the index decides the move.
    void addMove(const CollisionIndex& index, const CollisionObject& filed,
                 const CollisionObject& tried);
    // Counts tests made in the leaf of this region.
    void addTests(const SbBox3f& region, int tests);
    // Stamps the tests counted since the last advance with now and forgets
    // those counted window seconds or more before now.
    void advance(const SbTime& now);
    // Forgets every count.
    void clear();

    // The tests in the window made in the leaf of this region; 0 for a leaf
    // none were made in.
    int testsIn(const SbBox3f& region) const;
    // The band a sum of tests falls in: 0 below the first limit, then one
    // more for each limit reached. bandCount() bands in all.
    int bandOf(int tests) const;
    int bandCount() const { return bandLimits.getNum() + 1; }
    // The band's colour; bands past the end of bandColors take its last.
    SbColor bandColor(int band) const;
    // The tests a band holds, as the legend gives them: "0", "1-9", "1000+".
    std::string bandRange(int band) const;

protected:
    ~SoLeafHeat() override;

private:
    // A leaf's region, exactly as the index gives it.
    using Key = std::array<float, 6>;
    static Key keyOf(const SbBox3f& region);
    struct Bucket {
        SbTime at;
        std::vector<std::pair<Key, int>> tests;
    };

    std::map<Key, int> pending;
    std::deque<Bucket> buckets;
    std::map<Key, int> totals;  // the buckets' sums; no zero entries
};

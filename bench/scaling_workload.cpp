#include "bench/scaling_workload.h"

#include <cstdlib>

#include "city/CityBuilder.h"
#include "city/CityLayout.h"
#include "octree/OctTree.h"

namespace {

// Movers wander over the city and a margin around it, from just above the
// ground to above the tallest buildings (the y axis points down).
const SbVec3f wanderMin(-5.0f, -5.0f, -5.0f);
const SbVec3f wanderMax(15.0f, -0.2f, 15.0f);
const float damping = 0.98f;
const float kick = 0.003f;
const float pullBack = 0.002f;

unsigned fixedSeed = 0;

void seedFixed(unsigned int) {
    std::srand(fixedSeed);
}

void collectBoxes(const OctTree& node, std::vector<const SbBox3f*>& boxes) {
    for (int i = 0; i < node.objectCount; ++i) {
        const SbBox3f* box = node.objects[i].box;
        bool known = false;
        for (const SbBox3f* seen : boxes) {
            known = known || seen == box;
        }
        if (!known) {
            boxes.push_back(box);
        }
    }
    for (const OctTree* child : node.children) {
        if (child != nullptr) {
            collectBoxes(*child, boxes);
        }
    }
}

bool overlapsAny(const SbBox3f& box, const std::vector<const SbBox3f*>& city,
                 const std::vector<Mover>& placed) {
    for (const SbBox3f* other : city) {
        if (OctTree::boxesOverlap(box, *other)) {
            return true;
        }
    }
    for (const Mover& mover : placed) {
        if (OctTree::boxesOverlap(box, mover.boxes[mover.current])) {
            return true;
        }
    }
    return false;
}

}  // namespace

const SbVec3f Movers::halfExtent(0.5f, 0.125f, 0.5f);

SbBox3f scalingRootBox() {
    return SbBox3f(-60, -110, -60, 60, 10, 60);
}

std::vector<const SbBox3f*> scalingCityBoxes(unsigned seed) {
    // The generator seeds itself with the process id; replay a fixed city.
    fixedSeed = seed;
    void (*const ownSeed)(unsigned int) = layoutSeed;
    layoutSeed = seedFixed;
    // Builder, elements and tree stay: the boxes belong to them.
    CityBuilder* builder = new CityBuilder;
    OctTree* tree = new OctTree(scalingRootBox());
    builder->generateCity(*tree);
    layoutSeed = ownSeed;

    std::vector<const SbBox3f*> boxes;
    boxes.push_back(new SbBox3f(-500, 0, -500, 500, 0.001f, 500));
    collectBoxes(*tree, boxes);
    return boxes;
}

Movers::Movers(int count, unsigned seed, const std::vector<const SbBox3f*>& city) : engine(seed) {
    movers.reserve(count);
    while (static_cast<int>(movers.size()) < count) {
        Mover mover;
        for (int axis = 0; axis < 3; ++axis) {
            mover.position[axis] =
                std::uniform_real_distribution<float>(wanderMin[axis], wanderMax[axis])(engine);
        }
        mover.velocity.setValue(0, 0, 0);
        mover.current = 0;
        mover.boxes[0].setBounds(mover.position - halfExtent, mover.position + halfExtent);
        if (!overlapsAny(mover.boxes[0], city, movers)) {
            movers.push_back(mover);
        }
    }
}

SbVec3f Movers::nextPosition(Mover& mover) {
    std::uniform_real_distribution<float> draw(-kick, kick);
    mover.velocity *= damping;
    for (int axis = 0; axis < 3; ++axis) {
        mover.velocity[axis] += draw(engine);
        if (mover.position[axis] < wanderMin[axis]) {
            mover.velocity[axis] += pullBack;
        } else if (mover.position[axis] > wanderMax[axis]) {
            mover.velocity[axis] -= pullBack;
        }
    }
    return mover.position + mover.velocity;
}

#include "octree/CollisionObject.h"

CollisionObject::CollisionObject()
    : box(nullptr), owner(nullptr), sceneNode(nullptr), dimensions{0, 0, 0}, center{0, 0, 0} {}

CollisionObject::CollisionObject(float centerX, float centerY, float centerZ, SbBox3f* box)
    : box(box),
      owner(nullptr),
      sceneNode(nullptr),
      dimensions{0.1f, 0.1f, 0.1f},
      center{centerX, centerY, centerZ} {}

CollisionObject::CollisionObject(float dimX, float dimY, float dimZ, float centerX, float centerY,
                                 float centerZ, SbBox3f* box, FlyingObject* owner)
    : box(box),
      owner(owner),
      sceneNode(nullptr),
      dimensions{dimX, dimY, dimZ},
      center{centerX, centerY, centerZ} {}

CollisionObject::CollisionObject(float dimX, float dimY, float dimZ, float centerX, float centerY,
                                 float centerZ, SbBox3f* box, SoSeparator* sceneNode)
    : box(box),
      owner(nullptr),
      sceneNode(sceneNode),
      dimensions{dimX, dimY, dimZ},
      center{centerX, centerY, centerZ} {}

bool CollisionObject::isSameObject(const CollisionObject& other) const {
    return box == other.box;
}

CollisionObject CollisionObject::copy() const {
    return *this;
}

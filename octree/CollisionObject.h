#pragma once

#include <Inventor/SbBox3f.h>

class FlyingObject;
class SoSeparator;

// The value record by which the octree knows one collidable thing. Its identity
// is the box pointer: records sharing a box are the same thing.
class CollisionObject {
public:
    CollisionObject();
    // A static thing: the camera, street tiles, building parts.
    CollisionObject(float centerX, float centerY, float centerZ, SbBox3f* box);
    // A moving thing: a flying object.
    CollisionObject(float dimX, float dimY, float dimZ, float centerX, float centerY, float centerZ,
                    SbBox3f* box, FlyingObject* owner);
    // A thing bound to a scene node: the ground.
    CollisionObject(float dimX, float dimY, float dimZ, float centerX, float centerY, float centerZ,
                    SbBox3f* box, SoSeparator* sceneNode);

    bool isSameObject(const CollisionObject& other) const;
    CollisionObject copy() const;

    SbBox3f* box;
    FlyingObject* owner;
    SoSeparator* sceneNode;
    float dimensions[3];
    float center[3];
};

#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/lists/SbList.h>

#include <array>
#include <map>
#include <string>
#include <unordered_map>

class CollisionObject;
class ElementGrid;
class FlyingObject;

// What refused a move: nothing (accepted), a craft, the camera, a building,
// a street tile, the ground, or the region's edge before any index was asked;
// OTHER for a record none of those filed.
enum RefuserKind {
    REFUSER_NONE,
    REFUSER_CRAFT,
    REFUSER_CAMERA,
    REFUSER_BUILDING,
    REFUSER_STREET,
    REFUSER_GROUND,
    REFUSER_EDGE,
    REFUSER_OTHER,
};

struct Refuser {
    RefuserKind kind = REFUSER_NONE;
    int craft = -1;  // the craft's number, for REFUSER_CRAFT
};

// "none", "craft 7", "camera", "building", "street", "ground", "edge", "other":
// the machine line's words.
std::string refuserWords(const Refuser& refuser);
// The same for people: "craft 7", "the camera", "a building", "a street tile",
// "the ground", "the region's edge".
std::string refuserEnglish(const Refuser& refuser);

// Tells the kind of a filed record. Built once, when a mover is first
// selected: the craft's numbers by owner, and the city's boxes by kind, as
// CityBuilder files them from the grid's elements (a building or a street
// tile spans y from minus its height to 0).
class RefuserLookup {
public:
    void build(const SbList<CollisionObject*>& craft, const ElementGrid* grid);
    bool built() const { return isBuilt; }
    // The record's kind; cameraBox is the box the camera is filed under.
    Refuser classify(const CollisionObject& record, const SbBox3f* cameraBox) const;

private:
    using Bounds = std::array<float, 6>;
    static Bounds boundsOf(const SbBox3f& box);

    bool isBuilt = false;
    std::unordered_map<const FlyingObject*, int> craftNumbers;
    std::map<Bounds, RefuserKind> cityBoxes;
};

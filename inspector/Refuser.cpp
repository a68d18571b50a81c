#include "inspector/Refuser.h"

#include "city/CityElement.h"
#include "city/ElementGrid.h"
#include "octree/CollisionObject.h"

std::string refuserWords(const Refuser& refuser) {
    switch (refuser.kind) {
        case REFUSER_NONE:
            return "none";
        case REFUSER_CRAFT:
            return "craft " + std::to_string(refuser.craft);
        case REFUSER_CAMERA:
            return "camera";
        case REFUSER_BUILDING:
            return "building";
        case REFUSER_STREET:
            return "street";
        case REFUSER_GROUND:
            return "ground";
        case REFUSER_EDGE:
            return "edge";
        case REFUSER_OTHER:
            break;
    }
    return "other";
}

std::string refuserEnglish(const Refuser& refuser) {
    switch (refuser.kind) {
        case REFUSER_NONE:
            return "nothing";
        case REFUSER_CRAFT:
            return "craft " + std::to_string(refuser.craft);
        case REFUSER_CAMERA:
            return "the camera";
        case REFUSER_BUILDING:
            return "a building";
        case REFUSER_STREET:
            return "a street tile";
        case REFUSER_GROUND:
            return "the ground";
        case REFUSER_EDGE:
            return "the region's edge";
        case REFUSER_OTHER:
            break;
    }
    return "an unknown record";
}

RefuserLookup::Bounds RefuserLookup::boundsOf(const SbBox3f& box) {
    const SbVec3f& min = box.getMin();
    const SbVec3f& max = box.getMax();
    return Bounds{min[0], min[1], min[2], max[0], max[1], max[2]};
}

void RefuserLookup::build(const SbList<CollisionObject*>& craft, const ElementGrid* grid) {
    craftNumbers.clear();
    cityBoxes.clear();
    for (int i = 0; i < craft.getLength(); ++i) {
        if (craft[i] && craft[i]->owner) {
            craftNumbers[craft[i]->owner] = i;
        }
    }
    if (grid) {
        for (int row = 0; row < grid->rows; ++row) {
            for (int column = 0; column < grid->columns; ++column) {
                const CityElement* element = grid->cells[row][column];
                if (!element || !grid->placed[row][column]) {
                    continue;
                }
                const SbBox3f box = element->collisionBox();
                const bool building = dynamic_cast<const BuildingElement*>(element) != nullptr;
                cityBoxes[boundsOf(box)] = building ? REFUSER_BUILDING : REFUSER_STREET;
            }
        }
    }
    isBuilt = true;
}

Refuser RefuserLookup::classify(const CollisionObject& record, const SbBox3f* cameraBox) const {
    Refuser refuser;
    if (!record.box) {
        return refuser;
    }
    if (record.owner) {
        const auto found = craftNumbers.find(record.owner);
        refuser.kind = found != craftNumbers.end() ? REFUSER_CRAFT : REFUSER_OTHER;
        refuser.craft = found != craftNumbers.end() ? found->second : -1;
        return refuser;
    }
    if (cameraBox && record.box == cameraBox) {
        refuser.kind = REFUSER_CAMERA;
        return refuser;
    }
    if (record.sceneNode) {
        refuser.kind = REFUSER_GROUND;
        return refuser;
    }
    const auto found = cityBoxes.find(boundsOf(*record.box));
    refuser.kind = found != cityBoxes.end() ? found->second : REFUSER_OTHER;
    return refuser;
}

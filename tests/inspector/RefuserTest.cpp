#include <Inventor/SbColor.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "app/Globals.h"
#include "city/CityElement.h"
#include "city/ElementGrid.h"
#include "city/FlyingObject.h"
#include "inspector/Refuser.h"
#include "octree/CollisionObject.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/SimulationWorld.h"

namespace {

// A street tile, a building of two cells, the ground, the camera and two
// craft, filed as the program files them.
TEST(RefuserTest, EachKindOfRecordIsToldApart) {
    ElementGrid grid(10, 10);
    const SbColor grey(0.5f, 0.5f, 0.5f);
    grid.place(2, 3, new CubeElement(2, 0.0025f, 3, 1, 0.005f, 1, grey, nullptr), true);
    grid.place(4, 0, new BuildingElement(4, 0, 0, 2, 7, 1, grey, "Building/dum1.txt"), true);
    // An element the grid holds but did not place counts for nothing.
    grid.place(8, 8, new BuildingElement(8, 0, 8, 1, 3, 1, grey, "Building/dum2.txt"), false);
    SbBox3f street(2, -0.005f, 3, 3, 0, 4);
    SbBox3f building(4, -7, 0, 6, 0, 1);
    SbBox3f unplaced(8, -3, 8, 9, 0, 9);
    SbBox3f ground(-500, 0, -500, 500, 0.001f, 500);
    SbBox3f cameraBox(1, -3, 1, 1.1f, -2.9f, 1.1f);
    SbBox3f sameAsCamera = cameraBox;
    SbBox3f craftBoxes[2] = {SbBox3f(0, -9, 0, 1, -8.75f, 1), SbBox3f(5, -9, 5, 6, -8.75f, 6)};
    FlyingObject first(0.5f, -8.9f, 0.5f, 1, 0, SbVec3f(0, 0, 0), 2, nullptr);
    FlyingObject second(5.5f, -8.9f, 5.5f, 1, 0, SbVec3f(0, 0, 0), 2, nullptr);
    CollisionObject craft0(1, 0.25f, 1, 0.5f, -8.9f, 0.5f, &craftBoxes[0], &first);
    CollisionObject craft1(1, 0.25f, 1, 5.5f, -8.9f, 5.5f, &craftBoxes[1], &second);
    SbList<CollisionObject*> craft;
    craft.append(&craft0);
    craft.append(&craft1);

    RefuserLookup lookup;
    EXPECT_FALSE(lookup.built());
    lookup.build(craft, &grid);
    EXPECT_TRUE(lookup.built());
    const auto kindOf = [&](const CollisionObject& record) {
        return lookup.classify(record, &cameraBox).kind;
    };
    EXPECT_EQ(kindOf(CollisionObject(2.5f, 0.0025f, 3.5f, &street)), REFUSER_STREET);
    EXPECT_EQ(kindOf(CollisionObject(5, -3.5f, 0.5f, &building)), REFUSER_BUILDING);
    EXPECT_EQ(kindOf(CollisionObject(8.5f, -1.5f, 8.5f, &unplaced)), REFUSER_OTHER);
    EXPECT_EQ(kindOf(CollisionObject(1000, 0.1f, 1000, 0, 0.0005f, 0, &ground,
                                     reinterpret_cast<SoSeparator*>(&grid))),
              REFUSER_GROUND);
    EXPECT_EQ(kindOf(CollisionObject(1, -3, 1, &cameraBox)), REFUSER_CAMERA);
    // The camera is known by its box, not by where a box lies.
    EXPECT_EQ(kindOf(CollisionObject(1, -3, 1, &sameAsCamera)), REFUSER_OTHER);
    const Refuser second_ = lookup.classify(craft1.copy(), &cameraBox);
    EXPECT_EQ(second_.kind, REFUSER_CRAFT);
    EXPECT_EQ(second_.craft, 1);
    EXPECT_EQ(lookup.classify(craft0, &cameraBox).craft, 0);
    EXPECT_EQ(lookup.classify(CollisionObject(), &cameraBox).kind, REFUSER_NONE);
    EXPECT_EQ(refuserWords(second_), "craft 1");
    EXPECT_EQ(refuserEnglish(lookup.classify(CollisionObject(2.5f, 0, 3.5f, &street), nullptr)),
              "a street tile");

    for (auto& row : grid.cells) {
        for (CityElement*& element : row) {
            delete element;
        }
    }
}

// The real city: every record an index holds is one of the known kinds, in
// the numbers the city's grid and the craft give.
TEST(RefuserTest, EveryRecordOfASeededCityHasItsKind) {
    ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    SeededWorld world(7, 40, IndexSet::FLAT);
    RefuserLookup lookup;
    lookup.build(cityBuilder.flyingObjects, cityBuilder.grid);
    int buildings = 0;
    int streets = 0;
    for (const auto& row : cityBuilder.grid->cells) {
        for (const CityElement* element : row) {
            if (element) {
                ++(dynamic_cast<const BuildingElement*>(element) ? buildings : streets);
            }
        }
    }
    ASSERT_GT(buildings, 0);
    ASSERT_GT(streets, 0);

    std::vector<CollisionObject> records;
    world.indexes->active().collect(records);
    std::map<RefuserKind, int> kinds;
    std::vector<bool> craftSeen(40, false);
    for (const CollisionObject& record : records) {
        const Refuser refuser = lookup.classify(record, cameraObject->box);
        ++kinds[refuser.kind];
        if (refuser.kind == REFUSER_CRAFT) {
            ASSERT_GE(refuser.craft, 0);
            ASSERT_LT(refuser.craft, 40);
            EXPECT_EQ(cityBuilder.flyingObjects[refuser.craft]->box, record.box);
            craftSeen[refuser.craft] = true;
        }
    }
    EXPECT_EQ(kinds[REFUSER_BUILDING], buildings);
    EXPECT_EQ(kinds[REFUSER_STREET], streets);
    EXPECT_EQ(kinds[REFUSER_GROUND], 1);
    EXPECT_EQ(kinds[REFUSER_CAMERA], 1);
    EXPECT_EQ(kinds[REFUSER_CRAFT], 40);
    EXPECT_EQ(kinds[REFUSER_OTHER], 0);
    EXPECT_EQ(std::count(craftSeen.begin(), craftSeen.end(), true), 40);
}

}  // namespace

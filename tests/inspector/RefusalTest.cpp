#include <Inventor/SbColor.h>
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "city/CityElement.h"
#include "city/ElementGrid.h"
#include "city/FlyingObject.h"
#include "inspector/Inspector.h"
#include "octree/CollisionObject.h"
#include "simulation/SimulationState.h"
#include "tests/simulation/SimulationFixture.h"

namespace {

// Craft falling onto what lies below them, in a world built by hand: the
// inspector names what refused each, under every index.
class RefusalTest : public SimulationTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        SimulationTest::SetUp();
        // A building of the grid, filed as the city files it.
        building = new BuildingElement(4, 0, 4, 2, 5, 2, SbColor(1, 1, 1), "Building/dum1.txt");
        cityBuilder.grid->place(4, 4, building, true);
        addObstacle(SbVec3f(4, -5, 4), SbVec3f(6, 0, 6));
        // The ground, bound to its scene node as the environment files it.
        ground = SbBox3f(-500, 0, -500, 500, 0.001f, 500);
        session.index().insert(CollisionObject(1000, 0.1f, 1000, 0, 0.0005f, 0, &ground, root));
    }
    void TearDown() override {
        cityBuilder.grid->cells[4][4] = nullptr;
        cityBuilder.grid->placed[4][4] = 0;
        delete building;
        SimulationTest::TearDown();
    }

    // Steps until the selected craft's move is refused; gives its refuser.
    Refuser fallOnto(Inspector& inspector, int craft) {
        inspector.select(craft);
        for (int i = 0; i < 400 && !inspector.lastMove().refused; ++i) {
            step();
        }
        EXPECT_TRUE(inspector.lastMove().refused) << "craft " << craft << " never stopped";
        return inspector.lastMove().by;
    }

    BuildingElement* building = nullptr;
    SbBox3f ground;
};

TEST_P(RefusalTest, EachRefuserIsNamed) {
    indexes->choose(GetParam());
    // Just above the roof, the ground, another craft and the camera.
    addCraft(SbVec3f(5, -5.13f, 5), false);
    addCraft(SbVec3f(-20, -0.13f, 20), false);
    addCraft(SbVec3f(-30, -2.0f, -30), false);
    addCraft(SbVec3f(-30, -2.26f, -30), false);
    placeCamera(SbVec3f(30, -1.0f, 30));
    addCraft(SbVec3f(30, -1.2f, 30), false);
    // Under the ground, falling towards the region's lower face (y = 10).
    addCraft(SbVec3f(50, 9.87f, 50), false);
    physicsEnabled = true;

    Inspector inspector(session, root, nullptr);
    EXPECT_EQ(fallOnto(inspector, 0).kind, REFUSER_BUILDING);
    const SbBox3f& roof = inspector.lastMove().refuserBox;
    EXPECT_EQ(roof.getMin(), SbVec3f(4, -5, 4));
    EXPECT_EQ(roof.getMax(), SbVec3f(6, 0, 6));
    EXPECT_EQ(fallOnto(inspector, 1).kind, REFUSER_GROUND);
    const Refuser below = fallOnto(inspector, 3);
    EXPECT_EQ(below.kind, REFUSER_CRAFT);
    EXPECT_EQ(below.craft, 2);
    EXPECT_EQ(fallOnto(inspector, 4).kind, REFUSER_CAMERA);
    inspector.update();
    ASSERT_GE(inspector.panelShown().size(), 4u);
    EXPECT_EQ(inspector.panelShown()[3], "Move refused by the camera");
    EXPECT_STREQ(inspector.lastMove().index, IndexSet::nameOf(GetParam()));

    // The edge refuses before any index is asked: nothing visited or tested.
    EXPECT_EQ(fallOnto(inspector, 5).kind, REFUSER_EDGE);
    EXPECT_EQ(inspector.lastMove().explanation.visited, 0);
    EXPECT_EQ(inspector.lastMove().explanation.tested, 0);
    EXPECT_EQ(inspector.lastMove().microseconds, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryIndex, RefusalTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(IndexSet::nameOf(info.param));
                         });

}  // namespace

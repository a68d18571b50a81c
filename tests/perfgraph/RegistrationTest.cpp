// Runs without registering the class in the test process itself: each case
// sets up the library inside its death statement.
#include <Inventor/SoDB.h>
#include <gtest/gtest.h>

#include "perfgraph/SoPerfGraph.h"

namespace {

TEST(PerfGraphRegistration, MisuseStopsWithConditionMessageSourceAndLine) {
    // Each death statement in a fresh process, whatever ran before.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SoDB::init();
            new SoPerfGraph;
        },
        "SoPerfGraph::classTypeId != SoType::badType\\(\\) && \"you forgot init\\(\\)!\", "
        "file soperfgraph, line [0-9]+");
    EXPECT_DEATH(
        {
            SoDB::init();
            SoPerfGraph::initClass();
            SoPerfGraph::initClass();
        },
        "don't init\\(\\) twice!\", file soperfgraph, line [0-9]+");
    EXPECT_DEATH(
        SoPerfGraph::initClass(),
        "parentType != SoType::badType\\(\\) && \"you forgot init\\(\\) on parentclass!\", "
        "file soperfgraph, line [0-9]+");
}

TEST(PerfGraphRegistration, RegisteredOnceAfterTheLibraryWorks) {
    SoDB::init();
    SoPerfGraph::initClass();
    SoPerfGraph* graph = new SoPerfGraph;
    graph->ref();
    EXPECT_EQ(graph->getTypeId().getName(), SbName("SoPerfGraph"));
    graph->unref();
}

}  // namespace

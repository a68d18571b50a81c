#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/fields/SoFieldData.h>
#include <Inventor/nodes/SoAnnotation.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "GraphTestSupport.h"

// A subclass written with the library's own macros, as drawValue invites.
class PerfGraphSubclass : public SoPerfGraph {
    SO_NODE_HEADER(PerfGraphSubclass);

public:
    static void initClass() { SO_NODE_INIT_CLASS(PerfGraphSubclass, SoPerfGraph, "SoPerfGraph"); }
    PerfGraphSubclass() { SO_NODE_CONSTRUCTOR(PerfGraphSubclass); }
};

SO_NODE_SOURCE(PerfGraphSubclass);

namespace {

// Every field in declaration order, as written to a file.
std::vector<std::pair<std::string, std::string>> fieldTexts(SoFieldContainer* node) {
    std::vector<std::pair<std::string, std::string>> out;
    SoFieldList fields;
    for (int i = 0; i < node->getFields(fields); ++i) {
        SbName name;
        SbString value;
        node->getFieldName(fields[i], name);
        fields[i]->get(value);
        out.emplace_back(name.getString(), value.getString());
    }
    return out;
}

TEST(PerfGraphNode, FieldsEnumerationsAndSubGraphOfAFreshNode) {
    GraphRef graph;
    EXPECT_EQ(SoType::fromName("SoPerfGraph"), SoPerfGraph::getClassTypeId());
    const std::vector<std::pair<std::string, std::string>> defaults{
        {"vertAlignment", "BOTTOM"},
        {"horAlignment", "LEFT"},
        {"size", "0.34999999 0.15000001"},
        {"position", "0.029999999 0.029999999"},
        {"sizeInPixels", "0 0"},
        {"positionInPixels", "0 0"},
        {"vertScreenOrigin", "BOTTOM"},
        {"horScreenOrigin", "LEFT"},
        {"dataScale", "2 1"}};
    EXPECT_EQ(fieldTexts(graph.graph), defaults);
    // A subclass inherits the field description instead of starting empty.
    PerfGraphSubclass::initClass();
    PerfGraphSubclass* sub = new PerfGraphSubclass;
    sub->ref();
    EXPECT_EQ(fieldTexts(sub), defaults);
    sub->unref();
    EXPECT_TRUE(graph->horScreenOrigin.set("RIGHT"));
    EXPECT_TRUE(graph->vertAlignment.set("HALF"));
    EXPECT_EQ(graph->horScreenOrigin.getValue(), SoPerfGraph::RIGHT);
    EXPECT_EQ(graph->vertAlignment.getValue(), SoPerfGraph::HALF);

    PerfGraphData& d = graph->d();
    EXPECT_EQ(d.values, std::vector<float>(148, 0.0f));
    EXPECT_EQ(d.times, std::vector<double>(148, 0.0));
    EXPECT_EQ(imageSize(d), SbVec2s(0, 0));
    EXPECT_EQ(text(d.averageLabel), "12");
    EXPECT_TRUE(d.scaleLabel->string.isDefault());
    ASSERT_EQ(graph->getChildren()->getLength(), 1);
    SoAnnotation* root = static_cast<SoAnnotation*>((*graph->getChildren())[0]);
    ASSERT_TRUE(root->isOfType(SoAnnotation::getClassTypeId()));
    EXPECT_EQ(root->renderCaching.getValue(), SoSeparator::OFF);
    EXPECT_EQ(root->getNumChildren(), 14);
}

TEST(PerfGraphNode, EachFieldClearsOnlyItsOwnFlag) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    struct Case {
        SoField* field;
        const char* value;
        bool placement, size, origin;
    } cases[] = {{&graph->position, "0.1 0.2", false, true, true},
                 {&graph->positionInPixels, "3 4", false, true, true},
                 {&graph->horAlignment, "RIGHT", false, true, true},
                 {&graph->size, "0.2 0.2", true, false, true},
                 {&graph->dataScale, "1 1", true, false, true},
                 {&graph->vertScreenOrigin, "TOP", true, true, false}};
    for (const Case& c : cases) {
        boundingBoxPass(graph.graph, 800, 600);
        c.field->set(c.value);
        EXPECT_EQ(bool(d.placementValid), c.placement) << c.value;
        EXPECT_EQ(bool(d.sizeValid), c.size) << c.value;
        EXPECT_EQ(bool(d.originValid), c.origin) << c.value;
    }
    // Edits inside the sub-graph notify through the node but clear nothing.
    boundingBoxPass(graph.graph, 800, 600);
    d.graphTexture->image.setValue(SbVec2s(4, 4), 4, nullptr);
    d.scaleLabel->string = "changed";
    EXPECT_TRUE(d.placementValid && d.sizeValid && d.originValid);
}

TEST(PerfGraphNode, PicksPassThroughAndDestructionReleasesTheSubGraph) {
    SoNode* root = nullptr;
    {
        GraphRef graph;
        boundingBoxPass(graph.graph, 800, 600);
        root = (*graph->getChildren())[0];
        root->ref();
        SoRayPickAction direct(SbViewportRegion(800, 600)), throughNode(SbViewportRegion(800, 600));
        direct.setPoint(SbVec2s(150, 60));  // inside the default quad, 24..304 x 18..108
        throughNode.setPoint(SbVec2s(150, 60));
        direct.apply(root);
        throughNode.apply(graph.graph);
        EXPECT_NE(direct.getPickedPoint(), nullptr) << "the quad itself is pickable";
        EXPECT_EQ(throughNode.getPickedPoint(), nullptr);
    }
    EXPECT_EQ(root->getRefCount(), 1);
    root->unref();
}

TEST(PerfGraphNode, WrittenFieldsReadBackAndTheSubGraphStaysOut) {
    GraphRef graph;
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->vertAlignment.setValue(SoPerfGraph::TOP);
    graph->size.setValue(0.23f, 0.11f);
    graph->sizeInPixels.setValue(7, -3);
    graph->dataScale.setValue(3, 0.5f);
    graph->addValue(42);

    SoOutput out;
    out.setBuffer(std::malloc(256), 256, std::realloc);
    SoWriteAction(&out).apply(graph.graph);
    void* buffer = nullptr;
    size_t length = 0;
    out.getBuffer(buffer, length);
    std::string file(static_cast<char*>(buffer), length);
    std::free(buffer);
    EXPECT_EQ(file.find("Annotation"), std::string::npos) << file;

    SoInput in;
    in.setBuffer(file.data(), file.size());
    SoSeparator* read = SoDB::readAll(&in);
    ASSERT_NE(read, nullptr) << file;
    read->ref();
    ASSERT_EQ(read->getChild(0)->getTypeId(), SoPerfGraph::getClassTypeId());
    SoPerfGraph* copy = static_cast<SoPerfGraph*>(read->getChild(0));
    EXPECT_EQ(fieldTexts(copy), fieldTexts(graph.graph));
    EXPECT_EQ(copy->getChildren()->getLength(), 1);
    read->unref();
}

TEST(PerfGraphNode, MisusedRegistrationStopsWithConditionMessageSourceAndLine) {
    // A fresh process for each statement: the class must not be registered yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(SoPerfGraph::initClass(),
                 "parentType != SoType::badType\\(\\) && \"you forgot init\\(\\) on "
                 "parentclass!\", file soperfgraph, line [0-9]+");
    EXPECT_DEATH((SoDB::init(), new SoPerfGraph),
                 "SoPerfGraph::classTypeId != SoType::badType\\(\\) && \"you forgot "
                 "init\\(\\)!\", file soperfgraph, line [0-9]+");
    EXPECT_DEATH((SoDB::init(), SoPerfGraph::initClass(), SoPerfGraph::initClass()),
                 "SoPerfGraph::classTypeId == SoType::badType\\(\\) && \"don't init\\(\\) "
                 "twice!\", file soperfgraph, line [0-9]+");
}

}  // namespace

#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/fields/SoFieldData.h>
#include <Inventor/nodes/SoAnnotation.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "GraphTestSupport.h"

namespace {

class PerfGraphNode : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initGraphClass(); }
};

SoAnnotation* subGraphRoot(SoPerfGraph& graph) {
    SoChildList* children = graph.getChildren();
    return children && children->getLength() == 1 ? static_cast<SoAnnotation*>((*children)[0])
                                                  : nullptr;
}

TEST_F(PerfGraphNode, RegistersTypeFieldsAndEnumerationsByName) {
    SoType type = SoType::fromName("SoPerfGraph");
    ASSERT_EQ(type, SoPerfGraph::getClassTypeId());
    EXPECT_TRUE(type.isDerivedFrom(SoNode::getClassTypeId()));
    EXPECT_TRUE(type.canCreateInstance());

    SoNode* made = static_cast<SoNode*>(type.createInstance());
    made->ref();
    EXPECT_EQ(made->getTypeId(), SoPerfGraph::getClassTypeId());
    made->unref();

    GraphRef<> graph;
    const SoFieldData* fields = static_cast<SoFieldContainer*>(graph.get())->getFieldData();
    const std::vector<std::string> expected = {
        "vertAlignment",    "horAlignment",    "size",
        "position",         "sizeInPixels",    "positionInPixels",
        "vertScreenOrigin", "horScreenOrigin", "dataScale"};
    ASSERT_EQ(fields->getNumFields(), int(expected.size()));
    for (int i = 0; i < fields->getNumFields(); ++i) {
        EXPECT_EQ(fields->getFieldName(i).getString(), expected[i]) << "field " << i;
    }

    EXPECT_EQ(graph->vertAlignment.getValue(), SoPerfGraph::BOTTOM);
    EXPECT_EQ(graph->horAlignment.getValue(), SoPerfGraph::LEFT);
    EXPECT_EQ(graph->size.getValue(), SbVec2f(0.35f, 0.15f));
    EXPECT_EQ(graph->position.getValue(), SbVec2f(0.03f, 0.03f));
    EXPECT_EQ(graph->sizeInPixels.getValue(), SbVec2s(0, 0));
    EXPECT_EQ(graph->positionInPixels.getValue(), SbVec2s(0, 0));
    EXPECT_EQ(graph->vertScreenOrigin.getValue(), SoPerfGraph::BOTTOM);
    EXPECT_EQ(graph->horScreenOrigin.getValue(), SoPerfGraph::LEFT);
    EXPECT_EQ(graph->dataScale.getValue(), SbVec2f(2, 1));

    // The enumerations are known by name to both fields that use them.
    EXPECT_TRUE(graph->horScreenOrigin.set("RIGHT"));
    EXPECT_EQ(graph->horScreenOrigin.getValue(), SoPerfGraph::RIGHT);
    EXPECT_TRUE(graph->horAlignment.set("CENTER"));
    EXPECT_EQ(graph->horAlignment.getValue(), SoPerfGraph::CENTER);
    EXPECT_TRUE(graph->vertAlignment.set("TOP"));
    EXPECT_EQ(graph->vertAlignment.getValue(), SoPerfGraph::TOP);
    EXPECT_TRUE(graph->vertScreenOrigin.set("HALF"));
    EXPECT_EQ(graph->vertScreenOrigin.getValue(), SoPerfGraph::HALF);
    EXPECT_FALSE(graph->vertScreenOrigin.set("RIGHT"));

    int count = 0;
    const int* values = nullptr;
    const SbName* names = nullptr;
    const_cast<SoFieldData*>(fields)->getEnumData("HorAlignment", count, values, names);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(names[2], SbName("RIGHT"));
    EXPECT_EQ(values[2], 2);
}

TEST_F(PerfGraphNode, FreshNodeHoldsZeroRingDefaultLabelsAndNoImage) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    EXPECT_EQ(d.numValues, 148);
    EXPECT_EQ(d.values, std::vector<float>(148, 0.0f));
    EXPECT_EQ(d.times, std::vector<double>(148, 0.0));
    EXPECT_EQ(d.startIndex, 0);
    EXPECT_EQ(d.scale, 0.0f);
    EXPECT_EQ(d.visibleRowFraction, 1.0f);
    EXPECT_EQ(imageSize(d), SbVec2s(0, 0));
    EXPECT_EQ(labelText(d.averageLabel), "12");
    EXPECT_TRUE(d.scaleLabel->string.isDefault());
    EXPECT_EQ(d.ownerNode, graph.get());
    EXPECT_TRUE(d.resizePending);
    EXPECT_FALSE(d.placementValid || d.sizeValid || d.originValid);

    SoAnnotation* root = subGraphRoot(*graph);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->isOfType(SoAnnotation::getClassTypeId()));
    EXPECT_EQ(root->renderCaching.getValue(), SoSeparator::OFF);
    const std::vector<std::string> expected = {"OrthographicCamera",
                                               "LightModel",
                                               "TransparencyType",
                                               "Coordinate3",
                                               "TextureCoordinate2",
                                               "Complexity",
                                               "Texture2",
                                               "IndexedTriangleStripSet",
                                               "Font",
                                               "Texture2",
                                               "Translation",
                                               "Text2",
                                               "Translation",
                                               "Text2"};
    ASSERT_EQ(root->getNumChildren(), int(expected.size()));
    for (int i = 0; i < root->getNumChildren(); ++i) {
        EXPECT_EQ(root->getChild(i)->getTypeId().getName().getString(), expected[i])
            << "child " << i;
    }
    EXPECT_EQ(root->getChild(0), static_cast<SoNode*>(d.graphCamera));
    EXPECT_EQ(root->getChild(6), static_cast<SoNode*>(d.graphTexture));
    EXPECT_EQ(root->getChild(13), static_cast<SoNode*>(d.averageLabel));
}

TEST_F(PerfGraphNode, FieldChangesClearOnlyTheirOwnFlag) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    auto validateAll = [&] {
        boundingBoxPass(graph.get(), 800, 600);
        ASSERT_TRUE(d.placementValid && d.sizeValid && d.originValid);
    };
    struct Expect {
        bool placement, size, origin;
    };
    auto flagsAre = [&](Expect e) {
        return bool(d.placementValid) == e.placement && bool(d.sizeValid) == e.size &&
               bool(d.originValid) == e.origin;
    };

    validateAll();
    graph->position.setValue(0.1f, 0.2f);
    EXPECT_TRUE(flagsAre({false, true, true}));
    validateAll();
    graph->positionInPixels.setValue(3, 4);
    EXPECT_TRUE(flagsAre({false, true, true}));
    validateAll();
    graph->vertAlignment.setValue(SoPerfGraph::TOP);
    EXPECT_TRUE(flagsAre({false, true, true}));
    validateAll();
    graph->dataScale.setValue(1, 1);
    EXPECT_TRUE(flagsAre({true, false, true}));
    validateAll();
    graph->sizeInPixels.setValue(5, 5);
    EXPECT_TRUE(flagsAre({true, false, true}));
    validateAll();
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    EXPECT_TRUE(flagsAre({true, true, false}));
    validateAll();
    graph->vertScreenOrigin.setValue(SoPerfGraph::TOP);
    EXPECT_TRUE(flagsAre({true, true, false}));

    // Edits inside the sub-graph notify through the node but change no layout.
    validateAll();
    d.graphTexture->image.setValue(SbVec2s(4, 4), 4, nullptr);
    d.quadCoords->point.set1Value(0, SbVec3f(1, 2, 3));
    d.scaleLabel->string = "changed";
    EXPECT_TRUE(flagsAre({true, true, true}));

    // A cleared flag is acted upon by the next traversal.
    graph->position.setValue(0.5f, 0.5f);
    boundingBoxPass(graph.get(), 800, 600);
    EXPECT_FLOAT_EQ(d.quadCoords->point[0][0], 0.5f + 3.0f / 800);
}

TEST_F(PerfGraphNode, PicksGoThroughTheGraphAndDestructionReleasesTheSubGraph) {
    SbViewportRegion viewport(800, 600);
    SoAnnotation* root = nullptr;
    {
        GraphRef<> graph;
        boundingBoxPass(graph.get(), 800, 600);
        root = subGraphRoot(*graph);
        root->ref();

        // A ray through the middle of the default quad (pixels 24..304 x 18..108).
        {
            SoRayPickAction direct(viewport);
            direct.setPoint(SbVec2s(150, 60));
            direct.apply(root);
            ASSERT_NE(direct.getPickedPoint(), nullptr) << "the quad itself is pickable";

            SoRayPickAction throughNode(viewport);
            throughNode.setPoint(SbVec2s(150, 60));
            throughNode.apply(graph.get());
            EXPECT_EQ(throughNode.getPickedPoint(), nullptr);
        }
        EXPECT_EQ(root->getRefCount(), 2);
    }
    EXPECT_EQ(root->getRefCount(), 1);
    root->unref();
}

TEST_F(PerfGraphNode, WritesAndReadsBackThroughTheFileFormat) {
    GraphRef<> graph;
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->horAlignment.setValue(SoPerfGraph::CENTER);
    graph->vertAlignment.setValue(SoPerfGraph::TOP);
    graph->size.setValue(0.23f, 0.11f);
    graph->position.setValue(-0.03f, 0.16f);
    graph->sizeInPixels.setValue(7, -3);
    graph->dataScale.setValue(3, 0.5f);
    graph->addValue(42);

    SoOutput out;
    out.setBuffer(std::malloc(1024), 1024, std::realloc);
    SoWriteAction writer(&out);
    writer.apply(graph.get());
    void* buffer = nullptr;
    size_t length = 0;
    out.getBuffer(buffer, length);
    std::string text(static_cast<const char*>(buffer), length);
    std::free(buffer);
    EXPECT_NE(text.find("SoPerfGraph"), std::string::npos) << text;
    EXPECT_NE(text.find("RIGHT"), std::string::npos) << text;
    // The internal sub-graph and the samples are not part of the file.
    EXPECT_EQ(text.find("Annotation"), std::string::npos) << text;
    EXPECT_EQ(text.find("Texture2"), std::string::npos) << text;

    SoInput in;
    in.setBuffer(text.data(), text.size());
    SoSeparator* read = SoDB::readAll(&in);
    ASSERT_NE(read, nullptr) << text;
    read->ref();
    ASSERT_EQ(read->getNumChildren(), 1);
    ASSERT_EQ(read->getChild(0)->getTypeId(), SoPerfGraph::getClassTypeId());
    SoPerfGraph* copy = static_cast<SoPerfGraph*>(read->getChild(0));
    EXPECT_EQ(copy->horScreenOrigin.getValue(), SoPerfGraph::RIGHT);
    EXPECT_EQ(copy->horAlignment.getValue(), SoPerfGraph::CENTER);
    EXPECT_EQ(copy->vertAlignment.getValue(), SoPerfGraph::TOP);
    EXPECT_EQ(copy->vertScreenOrigin.getValue(), SoPerfGraph::BOTTOM);
    EXPECT_EQ(copy->size.getValue(), SbVec2f(0.23f, 0.11f));
    EXPECT_EQ(copy->position.getValue(), SbVec2f(-0.03f, 0.16f));
    EXPECT_EQ(copy->sizeInPixels.getValue(), SbVec2s(7, -3));
    EXPECT_EQ(copy->positionInPixels.getValue(), SbVec2s(0, 0));
    EXPECT_EQ(copy->dataScale.getValue(), SbVec2f(3, 0.5f));
    EXPECT_EQ(copy->getChildren()->getLength(), 1);
    read->unref();

    // A hand-written node names its enumeration values.
    const char handWritten[] =
        "#Inventor V2.1 ascii\n"
        "SoPerfGraph { vertScreenOrigin TOP horAlignment RIGHT position -0.03 0.16 }\n";
    SoInput in2;
    in2.setBuffer(handWritten, sizeof handWritten - 1);
    SoSeparator* read2 = SoDB::readAll(&in2);
    ASSERT_NE(read2, nullptr);
    read2->ref();
    SoPerfGraph* node = static_cast<SoPerfGraph*>(read2->getChild(0));
    EXPECT_EQ(node->vertScreenOrigin.getValue(), SoPerfGraph::TOP);
    EXPECT_EQ(node->horAlignment.getValue(), SoPerfGraph::RIGHT);
    EXPECT_EQ(node->position.getValue(), SbVec2f(-0.03f, 0.16f));
    EXPECT_EQ(node->size.getValue(), SbVec2f(0.35f, 0.15f));
    read2->unref();
}

TEST_F(PerfGraphNode, SecondRegistrationStopsWithItsAssertion) {
    EXPECT_DEATH(SoPerfGraph::initClass(),
                 "SoPerfGraph::classTypeId == SoType::badType\\(\\) && \"don't init\\(\\) "
                 "twice!\", file soperfgraph, line [0-9]+");
}

}  // namespace

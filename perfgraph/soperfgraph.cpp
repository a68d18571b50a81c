#include "perfgraph/SoPerfGraph.h"

#include <Inventor/SbTime.h>
#include <Inventor/actions/SoAudioRenderAction.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoGetPrimitiveCountAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoPickAction.h>
#include <Inventor/fields/SoFieldData.h>
#include <Inventor/nodes/SoAnnotation.h>
#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/nodes/SoTransparencyType.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "perfgraph/internal/GraphTexture.h"
#include "perfgraph/internal/PerfGraphAssert.h"
#include "perfgraph/internal/PerfGraphData.h"

/*!
  \class SoPerfGraph
  A scrolling bar graph of one scalar quantity, drawn over the scene in screen
  space. Each addValue() adds one bar at the right edge and scrolls the older
  ones to the left; the upper left label shows the value of a full-height bar,
  the lower right one the average of the samples of the last second.

  Sizes and positions are fractions of the viewport, plus whole pixels.

  FILE FORMAT/DEFAULTS:
  \code
    SoPerfGraph {
        vertAlignment BOTTOM
        horAlignment LEFT
        size 0.35 0.15
        position 0.03 0.03
        sizeInPixels 0 0
        positionInPixels 0 0
        vertScreenOrigin BOTTOM
        horScreenOrigin LEFT
        dataScale 2 1
    }
  \endcode
*/

/*!
  \var SoSFEnum SoPerfGraph::vertAlignment
  Which horizontal edge of the graph, or its middle, sits at the anchor point
  (BOTTOM, HALF or TOP). Default value BOTTOM.
*/
/*!
  \var SoSFEnum SoPerfGraph::horAlignment
  Which vertical edge of the graph, or its middle, sits at the anchor point
  (LEFT, CENTER or RIGHT). Default value LEFT.
*/
/*!
  \var SoSFVec2f SoPerfGraph::size
  Width and height of the graph as fractions of the viewport's width and
  height. Default value (0.35, 0.15).
*/
/*!
  \var SoSFVec2f SoPerfGraph::position
  The anchor point, as fractions of the viewport's width and height measured
  from the screen origin; negative values point left of or below it. Default
  value (0.03, 0.03).
*/
/*!
  \var SoSFVec2s SoPerfGraph::sizeInPixels
  Pixels added to the width and height given by size. Default value (0, 0).
*/
/*!
  \var SoSFVec2s SoPerfGraph::positionInPixels
  Pixels added to the anchor point given by position. Default value (0, 0).
*/
/*!
  \var SoSFEnum SoPerfGraph::vertScreenOrigin
  The viewport edge, or its middle, from which position's y is measured
  (BOTTOM, HALF or TOP). Default value BOTTOM.
*/
/*!
  \var SoSFEnum SoPerfGraph::horScreenOrigin
  The viewport edge, or its middle, from which position's x is measured (LEFT,
  CENTER or RIGHT). Default value LEFT.
*/
/*!
  \var SoSFVec2f SoPerfGraph::dataScale
  Screen pixels per image texel: x is the width of one sample's bar, y the
  pixels per value step. Default value (2, 1).
*/

SO_NODE_SOURCE(SoPerfGraph);

namespace {

const int initialNumValues = 148;

const SbVec2f texCoordTable[4] = {SbVec2f(0, 0), SbVec2f(0, 1), SbVec2f(1, 0), SbVec2f(1, 1)};

}  // namespace

void perfGraphAssertFailed(const char* conditionText, const char* message, int line) {
    if (message) {
        std::fprintf(stderr, "Assertion failed: %s && \"%s\", file soperfgraph, line %d\n",
                     conditionText, message, line);
    } else {
        std::fprintf(stderr, "Assertion failed: %s, file soperfgraph, line %d\n", conditionText,
                     line);
    }
    std::fflush(stderr);
    std::abort();
}

// initClass and the start of the constructor are SO_NODE_INIT_CLASS and
// SO_NODE_CONSTRUCTOR written out: their checks must stay on in release builds
// and print in the node's own format, which the macros' assert() does not.
void SoPerfGraph::initClass() {
    PERFGRAPH_ASSERT(SoPerfGraph::classTypeId == SoType::badType(),
                     "SoPerfGraph::classTypeId == SoType::badType()", "don't init() twice!");
    PERFGRAPH_ASSERT(std::strcmp(SO__QUOTE(SoNode), "inherited"),
                     "strcmp(SO__QUOTE(SoNode), \"inherited\")", nullptr);
    // The library's type dictionary does not exist before it is initialised;
    // looking a name up then would crash instead of failing the check.
    SoType parentType = SoNode::getClassTypeId() == SoType::badType() ? SoType::badType()
                                                                      : SoType::fromName("SoNode");
    PERFGRAPH_ASSERT(parentType != SoType::badType(), "parentType != SoType::badType()",
                     "you forgot init() on parentclass!");
    classTypeId = SoType::createType(parentType, "SoPerfGraph", &SoPerfGraph::createInstance,
                                     static_cast<uint16_t>(SoNode::getNextActionMethodIndex()));
    SoNode::incNextActionMethodIndex();
    parentFieldData = SoNode::getFieldDataPtr();
}

SoPerfGraph::SoPerfGraph() : data(nullptr) {
    SoBase::staticDataLock();
    PERFGRAPH_ASSERT(SoPerfGraph::classTypeId != SoType::badType(),
                     "SoPerfGraph::classTypeId != SoType::badType()", "you forgot init()!");
    ++classinstances;
    if (!fieldData) {
        fieldData = new SoFieldData(parentFieldData ? *parentFieldData : nullptr);
    }
    // An extension node: written with its field descriptions.
    isBuiltIn = FALSE;
    SoBase::staticDataUnlock();

    SO_NODE_ADD_FIELD(vertAlignment, (BOTTOM));
    SO_NODE_ADD_FIELD(horAlignment, (LEFT));
    SO_NODE_ADD_FIELD(size, (0.35f, 0.15f));
    SO_NODE_ADD_FIELD(position, (0.03f, 0.03f));
    SO_NODE_ADD_FIELD(sizeInPixels, (0, 0));
    SO_NODE_ADD_FIELD(positionInPixels, (0, 0));
    SO_NODE_ADD_FIELD(vertScreenOrigin, (BOTTOM));
    SO_NODE_ADD_FIELD(horScreenOrigin, (LEFT));
    SO_NODE_ADD_FIELD(dataScale, (2.0f, 1.0f));

    SO_NODE_DEFINE_ENUM_VALUE(VertAlignment, BOTTOM);
    SO_NODE_DEFINE_ENUM_VALUE(VertAlignment, HALF);
    SO_NODE_DEFINE_ENUM_VALUE(VertAlignment, TOP);
    SO_NODE_SET_SF_ENUM_TYPE(vertAlignment, VertAlignment);
    SO_NODE_SET_SF_ENUM_TYPE(vertScreenOrigin, VertAlignment);
    SO_NODE_DEFINE_ENUM_VALUE(HorAlignment, LEFT);
    SO_NODE_DEFINE_ENUM_VALUE(HorAlignment, CENTER);
    SO_NODE_DEFINE_ENUM_VALUE(HorAlignment, RIGHT);
    SO_NODE_SET_SF_ENUM_TYPE(horAlignment, HorAlignment);
    SO_NODE_SET_SF_ENUM_TYPE(horScreenOrigin, HorAlignment);

    data = new PerfGraphData(this);
}

SoPerfGraph::~SoPerfGraph() {
    delete data;
}

void SoPerfGraph::doAction(SoAction* action) {
    data->childList.traverse(action);
}

void SoPerfGraph::GLRender(SoGLRenderAction* action) {
    data->updateLayout(action->getViewportRegion(), true);
    SoPerfGraph::doAction(action);
}

void SoPerfGraph::callback(SoCallbackAction* action) {
    SoPerfGraph::doAction(action);
}

void SoPerfGraph::getBoundingBox(SoGetBoundingBoxAction* action) {
    data->updateLayout(action->getViewportRegion(), false);
    SoPerfGraph::doAction(action);
}

void SoPerfGraph::getMatrix(SoGetMatrixAction* action) {
    SoPerfGraph::doAction(action);
}

void SoPerfGraph::handleEvent(SoHandleEventAction* action) {
    SoPerfGraph::doAction(action);
}

// The graph is an overlay, not part of the scene: picks go through it.
void SoPerfGraph::pick(SoPickAction*) {}

void SoPerfGraph::audioRender(SoAudioRenderAction* action) {
    SoPerfGraph::doAction(action);
}

void SoPerfGraph::getPrimitiveCount(SoGetPrimitiveCountAction* action) {
    SoPerfGraph::doAction(action);
}

SoChildList* SoPerfGraph::getChildren() const {
    return &data->childList;
}

PerfGraphData::PerfGraphData(SoPerfGraph* owner)
    : childList(owner),
      ownerNode(owner),
      originValid(0),
      placementValid(0),
      sizeValid(0),
      resizePending(1) {
    fieldSensor.setFunction(onFieldChanged);
    fieldSensor.setData(this);
    // Priority 0: runs inside the notification, while the trigger field is known.
    fieldSensor.setPriority(0);
    fieldSensor.attach(owner);

    numValues = initialNumValues;
    values.assign(numValues, 0.0f);
    times.assign(numValues, 0.0);
    maxValue = 0;
    scale = 0;
    startIndex = 0;
    nextRow = 0;

    buildSubGraph();
}

void PerfGraphData::buildSubGraph() {
    SoAnnotation* root = new SoAnnotation;
    root->renderCaching = SoSeparator::OFF;

    graphCamera = new SoOrthographicCamera;
    graphCamera->height = 1.0f;
    graphCamera->viewportMapping = SoCamera::LEAVE_ALONE;
    root->addChild(graphCamera);

    SoLightModel* lightModel = new SoLightModel;
    lightModel->model = SoLightModel::BASE_COLOR;
    root->addChild(lightModel);

    SoTransparencyType* transparency = new SoTransparencyType;
    transparency->value = SoTransparencyType::BLEND;
    root->addChild(transparency);

    quadCoords = new SoCoordinate3;
    quadCoords->point.setNum(4);
    root->addChild(quadCoords);

    quadTexCoords = new SoTextureCoordinate2;
    quadTexCoords->point.setValues(0, 4, texCoordTable);
    root->addChild(quadTexCoords);

    SoComplexity* complexity = new SoComplexity;
    complexity->textureQuality = 0.1f;
    complexity->type.setIgnored(TRUE);
    complexity->value.setIgnored(TRUE);
    root->addChild(complexity);

    GraphTexture::initClass();
    graphTexture = new GraphTexture;
    graphTexture->model = SoTexture2::REPLACE;
    root->addChild(graphTexture);

    quad = new SoIndexedTriangleStripSet;
    const int32_t strip[5] = {0, 1, 2, 3, -1};
    quad->coordIndex.setValues(0, 5, strip);
    root->addChild(quad);

    root->addChild(new SoFont);
    // Labels are drawn untextured.
    root->addChild(new SoTexture2);

    scaleLabelOffset = new SoTranslation;
    root->addChild(scaleLabelOffset);
    scaleLabel = new SoText2;
    root->addChild(scaleLabel);

    averageLabelOffset = new SoTranslation;
    root->addChild(averageLabelOffset);
    averageLabel = new SoText2;
    averageLabel->justification = SoText2::RIGHT;
    averageLabel->string = "12";
    root->addChild(averageLabel);

    childList.append(root);
}

void PerfGraphData::onFieldChanged(void* record, SoSensor* sensor) {
    PerfGraphData* self = static_cast<PerfGraphData*>(record);
    SoNodeSensor* fieldSensor = static_cast<SoNodeSensor*>(sensor);
    // Edits inside the sub-graph notify through the node too; they change no layout.
    if (fieldSensor->getTriggerNode() != self->ownerNode) {
        return;
    }
    const SoField* field = fieldSensor->getTriggerField();
    const SoPerfGraph* node = self->ownerNode;
    if (field == &node->vertScreenOrigin || field == &node->horScreenOrigin) {
        self->originValid = 0;
    } else if (field == &node->vertAlignment || field == &node->horAlignment ||
               field == &node->position || field == &node->positionInPixels) {
        self->placementValid = 0;
    } else if (field == &node->size || field == &node->sizeInPixels || field == &node->dataScale) {
        self->sizeValid = 0;
    }
}

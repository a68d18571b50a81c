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

#include "perfgraph/PerfGraphAssert.h"
#include "perfgraph/PerfGraphData.h"

SoType SoPerfGraph::classTypeId = SoType::badType();
SoFieldData* SoPerfGraph::fieldData = nullptr;
const SoFieldData** SoPerfGraph::parentFieldData = nullptr;

namespace {

const int initialNumValues = 148;

const SbVec2f texCoordTable[4] = {SbVec2f(0, 0), SbVec2f(0, 1), SbVec2f(1, 0), SbVec2f(1, 1)};

double libraryTimeOfDay() {
    return SbTime::getTimeOfDay().getValue();
}

}  // namespace

void perfGraphAssertFailed(const char* conditionText, const char* message, const char* file,
                           int line) {
    // The source name is the file's base name without directory or extension.
    const char* name = std::strrchr(file, '/');
    name = name ? name + 1 : file;
    const char* dot = std::strrchr(name, '.');
    int nameLength = dot ? int(dot - name) : int(std::strlen(name));
    if (message) {
        std::fprintf(stderr, "Assertion failed: %s && \"%s\", file %.*s, line %d\n", conditionText,
                     message, nameLength, name, line);
    } else {
        std::fprintf(stderr, "Assertion failed: %s, file %.*s, line %d\n", conditionText,
                     nameLength, name, line);
    }
    std::fflush(stderr);
    std::abort();
}

double (*PerfGraphData::timeOfDay)() = libraryTimeOfDay;

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

void* SoPerfGraph::createInstance() {
    return new SoPerfGraph;
}

SoType SoPerfGraph::getClassTypeId() {
    return classTypeId;
}

SoType SoPerfGraph::getTypeId() const {
    return classTypeId;
}

const SoFieldData* SoPerfGraph::getFieldData() const {
    return fieldData;
}

SoPerfGraph::SoPerfGraph() : data(nullptr) {
    SoBase::staticDataLock();
    PERFGRAPH_ASSERT(SoPerfGraph::classTypeId != SoType::badType(),
                     "SoPerfGraph::classTypeId != SoType::badType()", "you forgot init()!");
    if (!fieldData) {
        fieldData = new SoFieldData(parentFieldData ? *parentFieldData : nullptr);
    }
    // An extension node: written with its field descriptions.
    isBuiltIn = FALSE;
    SoBase::staticDataUnlock();

    vertAlignment.setValue(BOTTOM);
    addToFieldData(vertAlignment, "vertAlignment");
    horAlignment.setValue(LEFT);
    addToFieldData(horAlignment, "horAlignment");
    size.setValue(0.35f, 0.15f);
    addToFieldData(size, "size");
    position.setValue(0.03f, 0.03f);
    addToFieldData(position, "position");
    sizeInPixels.setValue(0, 0);
    addToFieldData(sizeInPixels, "sizeInPixels");
    positionInPixels.setValue(0, 0);
    addToFieldData(positionInPixels, "positionInPixels");
    vertScreenOrigin.setValue(BOTTOM);
    addToFieldData(vertScreenOrigin, "vertScreenOrigin");
    horScreenOrigin.setValue(LEFT);
    addToFieldData(horScreenOrigin, "horScreenOrigin");
    dataScale.setValue(2.0f, 1.0f);
    addToFieldData(dataScale, "dataScale");

    fieldData->addEnumValue("VertAlignment", "BOTTOM", BOTTOM);
    fieldData->addEnumValue("VertAlignment", "HALF", HALF);
    fieldData->addEnumValue("VertAlignment", "TOP", TOP);
    setEnumType(vertAlignment, "VertAlignment");
    setEnumType(vertScreenOrigin, "VertAlignment");
    fieldData->addEnumValue("HorAlignment", "LEFT", LEFT);
    fieldData->addEnumValue("HorAlignment", "CENTER", CENTER);
    fieldData->addEnumValue("HorAlignment", "RIGHT", RIGHT);
    setEnumType(horAlignment, "HorAlignment");
    setEnumType(horScreenOrigin, "HorAlignment");

    data = new PerfGraphData(this);
}

SoPerfGraph::~SoPerfGraph() {
    delete data;
}

void SoPerfGraph::addToFieldData(SoField& field, const char* name) {
    field.setContainer(this);
    fieldData->addField(this, name, &field);
}

void SoPerfGraph::setEnumType(SoSFEnum& field, const char* enumName) {
    int count = 0;
    const int* values = nullptr;
    const SbName* names = nullptr;
    fieldData->getEnumData(enumName, count, values, names);
    field.setEnums(count, values, names);
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

    graphTexture = new SoTexture2;
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

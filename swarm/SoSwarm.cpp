#include "swarm/SoSwarm.h"

#include <GL/gl.h>
#include <Inventor/SbBox3f.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/bundles/SoMaterialBundle.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoViewVolumeElement.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/misc/SoState.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include <algorithm>
#include <vector>

#include "swarm/SwarmBatch.h"
#include "swarm/SwarmView.h"

/*!
  \class SoSwarm
  Many craft drawn by one node. Each craft is a position and a diffuse
  colour. A render skips every craft whose bounding sphere lies outside the
  view volume; of the others, those nearer to the eye than detailDistance are
  drawn through the model, moved to their position with their diffuse colour
  in force, as a separator holding a transform, a material and the model
  would draw them; the farther ones are drawn together in one batch of small
  lit saucers (32 vertices each) in the same colours and material.

  Moving the craft is one edit of the position field, however many move.

  FILE FORMAT/DEFAULTS:
  \code
    SoSwarm {
        position [ ]
        diffuseColor 0.8 0.8 0.8
        model NULL
        detailDistance 20
        boundingRadius 0.75
    }
  \endcode
*/

/*!
  \var SoMFVec3f SoSwarm::position
  The centre of each craft, one value per craft. Default: no craft.
*/
/*!
  \var SoMFColor SoSwarm::diffuseColor
  The diffuse colour of each craft, in the order of position, taken as an
  SoMaterial takes it (values above 1 are handed on as the library packs
  them). A craft past the end of the list takes the last colour. Default
  value (0.8, 0.8, 0.8).
*/
/*!
  \var SoSFNode SoSwarm::model
  The shape drawn for each craft nearer than detailDistance. Without a
  model, every craft in view is drawn in the batch. Default value NULL.
*/
/*!
  \var SoSFFloat SoSwarm::detailDistance
  Craft nearer to the eye than this are drawn through the model. Default
  value 20, where the craft model turns to its plainest level.
*/
/*!
  \var SoSFFloat SoSwarm::boundingRadius
  The radius round each position that holds the whole craft, for culling
  and the bounding box. Default value 0.75, for a craft of 1 x 0.5 x 1.
*/

SO_NODE_SOURCE(SoSwarm);

// The private state: the lists of the last render, the batch, and the small
// graph through which near craft are drawn. That graph has no parent node:
// moving it from craft to craft notifies nothing outside it.
struct SwarmData {
    SwarmData() : hidden(nullptr) {
        near = new SoSeparator;
        near->renderCaching = SoSeparator::OFF;
        near->boundingBoxCaching = SoSeparator::OFF;
        near->renderCulling = SoSeparator::OFF;
        place = new SoTranslation;
        material = new SoMaterial;
        near->addChild(place);
        near->addChild(material);
        hidden.append(near);
    }

    // Puts model under the near craft's graph, in place of the one before.
    void useModel(SoNode* model) {
        if (near->getNumChildren() > 2 && near->getChild(2) == model) {
            return;
        }
        if (near->getNumChildren() > 2) {
            near->removeChild(2);
        }
        if (model) {
            near->addChild(model);
        }
    }

    SoChildList hidden;
    SoSeparator* near;
    SoTranslation* place;
    SoMaterial* material;
    std::vector<int> nearCraft, farCraft;
    SwarmBatch batch;
};

void SoSwarm::initClass() {
    SO_NODE_INIT_CLASS(SoSwarm, SoNode, "Node");
}

SoSwarm::SoSwarm() : data(new SwarmData) {
    SO_NODE_CONSTRUCTOR(SoSwarm);
    SO_NODE_ADD_FIELD(position, (0, 0, 0));
    SO_NODE_ADD_FIELD(diffuseColor, (0.8f, 0.8f, 0.8f));
    SO_NODE_ADD_FIELD(model, (nullptr));
    SO_NODE_ADD_FIELD(detailDistance, (20.0f));
    SO_NODE_ADD_FIELD(boundingRadius, (0.75f));
    position.setNum(0);
    position.setDefault(TRUE);
}

SoSwarm::~SoSwarm() {
    delete data;
}

SoChildList* SoSwarm::getChildren() const {
    return &data->hidden;
}

int SoSwarm::modelsDrawn() const {
    return static_cast<int>(data->nearCraft.size());
}

int SoSwarm::batchDrawn() const {
    return data->batch.craftCount();
}

void SoSwarm::GLRender(SoGLRenderAction* action) {
    SoState* state = action->getState();
    // What is drawn depends on the view, which a render cache would not see.
    SoCacheElement::invalidate(state);

    const int count = position.getNum();
    const SbVec3f* at = position.getValues(0);
    SbViewVolume view = SoViewVolumeElement::get(state);
    view.transform(SoModelMatrixElement::get(state).inverse());
    SoNode* shape = model.getValue();
    data->useModel(shape);
    sortCraftInView(view, at, count, boundingRadius.getValue(),
                    shape ? detailDistance.getValue() : 0.0f, data->nearCraft, data->farCraft);

    // Without colours, craft take the library's default diffuse colour.
    static const SbColor plain(0.8f, 0.8f, 0.8f);
    const int colourCount = std::max(diffuseColor.getNum(), 1);
    const SbColor* colours = diffuseColor.getNum() > 0 ? diffuseColor.getValues(0) : &plain;
    data->batch.fill(at, colours, colourCount, data->farCraft);
    if (data->batch.craftCount() > 0) {
        // The material each near craft gets, sent as any shape sends it, with
        // the diffuse colour then taken from the batch's colours.
        state->push();
        data->material->GLRender(action);
        SoMaterialBundle material(action);
        material.sendFirst();
        glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_NORMALIZE);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glShadeModel(GL_SMOOTH);
        data->batch.draw();
        glPopAttrib();
        state->pop();
    }

    for (int i : data->nearCraft) {
        data->place->translation.setValue(at[i]);
        data->material->diffuseColor.setValue(colours[std::min(i, colourCount - 1)]);
        data->hidden.traverse(action, 0);
    }
}

void SoSwarm::getBoundingBox(SoGetBoundingBoxAction* action) {
    const int count = position.getNum();
    if (count == 0) {
        return;
    }
    SbBox3f box;
    for (int i = 0; i < count; ++i) {
        box.extendBy(position[i]);
    }
    const float r = boundingRadius.getValue();
    box.extendBy(box.getMin() - SbVec3f(r, r, r));
    box.extendBy(box.getMax() + SbVec3f(r, r, r));
    action->extendBy(box);
    action->setCenter(box.getCenter(), TRUE);
}

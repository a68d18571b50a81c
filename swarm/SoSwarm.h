#pragma once

#include <Inventor/fields/SoMFColor.h>
#include <Inventor/fields/SoMFVec3f.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFNode.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSubNode.h>

struct SwarmData;

// Draws a whole swarm of craft in one node: those the view cannot see are
// skipped, those near the camera are drawn as the model shows them, and the
// rest as one batch of small saucers. Moving the swarm is one edit of its
// position field. The fields are documented in SoSwarm.cpp.
class SoSwarm : public SoNode {
    typedef SoNode inherited;

    SO_NODE_HEADER(SoSwarm);

public:
    // Registers the class; once, after the scene library is initialised.
    static void initClass();
    SoSwarm();

    SoMFVec3f position;
    SoMFColor diffuseColor;
    SoSFNode model;
    SoSFFloat detailDistance;
    SoSFFloat boundingRadius;

    void GLRender(SoGLRenderAction* action) override;
    void getBoundingBox(SoGetBoundingBoxAction* action) override;
    SoChildList* getChildren() const override;

    // What the last render drew: craft through the model, craft in the
    // batch; those left out were outside the view.
    int modelsDrawn() const;
    int batchDrawn() const;

protected:
    ~SoSwarm() override;

private:
    SwarmData* data;
};

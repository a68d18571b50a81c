#pragma once

#include <Inventor/SbVec2s.h>
#include <Inventor/nodes/SoSubNode.h>
#include <Inventor/nodes/SoTexture2.h>

class SoGLImage;
class SoState;

// The graph's image as a texture that keeps one GL texture object per
// context and refills it in place when the image changes. A plain SoTexture2
// makes a new texture object for every change of its image; the graph changes
// it every sample, and each new object leaves memory behind in the GL driver
// (Mesa), so a long run grew without bound.
class GraphTexture : public SoTexture2 {
    using inherited = SoTexture2;
    SO_NODE_HEADER(GraphTexture);

public:
    static void initClass();
    GraphTexture();

    void GLRender(SoGLRenderAction* action) override;
    void notify(SoNotList* list) override;

    // How many texture objects this node has made; a size or context change makes one.
    int texturesMade() const { return made; }

protected:
    ~GraphTexture() override;

private:
    void makeTexture(SoState* state, const unsigned char* bytes, SbVec2s imageSize);
    void markTransparency(const unsigned char* bytes, SbVec2s imageSize);

    SoGLImage* glImage = nullptr;
    int context = -1;
    SbVec2s madeSize{0, 0};
    bool changed = true;
    // A texel of partial alpha found by the last scan, or -1: while it keeps
    // such an alpha, the transparency flags stand.
    long partialTexel = -1;
    int made = 0;
};

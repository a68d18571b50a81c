#include "perfgraph/internal/GraphTexture.h"

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/elements/SoGLDisplayList.h>
#include <Inventor/elements/SoGLMultiTextureEnabledElement.h>
#include <Inventor/elements/SoGLMultiTextureImageElement.h>
#include <Inventor/elements/SoTextureOverrideElement.h>
#include <Inventor/elements/SoTextureQualityElement.h>
#include <Inventor/elements/SoTextureUnitElement.h>
#include <Inventor/misc/SoGLImage.h>
#include <Inventor/misc/SoNotification.h>
#include <Inventor/misc/SoState.h>
#include <Inventor/system/gl.h>

#include "perfgraph/internal/PerfGraphData.h"

SO_NODE_SOURCE(GraphTexture);

namespace {

// Below this texture quality Coin filters textures to the nearest texel.
const float linearFilterQuality = 0.2f;

GLint glWrap(int wrap) {
    return wrap == SoTexture2::REPEAT ? GL_REPEAT : GL_CLAMP;
}

}  // namespace

void GraphTexture::initClass() {
    if (classTypeId == SoType::badType()) {
        SO_NODE_INIT_CLASS(GraphTexture, SoTexture2, "Texture2");
    }
}

GraphTexture::GraphTexture() {
    SO_NODE_CONSTRUCTOR(GraphTexture);
}

GraphTexture::~GraphTexture() {
    if (glImage) {
        // Without a state the texture object is freed the next time its context renders.
        glImage->unref(nullptr);
    }
}

void GraphTexture::notify(SoNotList* list) {
    changed = true;
    inherited::notify(list);
}

// What SoGLImage would find in the image: blending for any texel not opaque,
// the alpha test when those are all fully transparent. Only whether such
// texels exist matters, not where, so a texel of partial alpha settles it for
// as long as it keeps one: the graph's half-transparent background keeps the
// answer from one sample to the next without a scan, and a scan starts at the
// last such texel, where the next one usually lies close by.
void GraphTexture::markTransparency(const unsigned char* bytes, SbVec2s imageSize) {
    const long texels = static_cast<long>(imageSize[0]) * imageSize[1];
    auto partialAt = [bytes](long i) {
        unsigned char alpha = bytes[i * TEXTURE_COMPONENTS + 3];
        return alpha != 0 && alpha != 255;
    };
    if (partialTexel >= 0 && partialTexel < texels && partialAt(partialTexel)) {
        return;  // the flags set for it still hold
    }
    const long start = partialTexel >= 0 && partialTexel < texels ? partialTexel : 0;
    partialTexel = -1;
    bool translucent = false;
    for (long n = 0; n < texels; ++n) {
        long i = start + n < texels ? start + n : start + n - texels;
        if (bytes[i * TEXTURE_COMPONENTS + 3] != 255) {
            translucent = true;
            if (partialAt(i)) {
                partialTexel = i;
                break;
            }
        }
    }
    const bool partial = partialTexel >= 0;
    uint32_t flags = glImage->getFlags() &
                     ~(SoGLImage::FORCE_TRANSPARENCY_TRUE | SoGLImage::FORCE_TRANSPARENCY_FALSE |
                       SoGLImage::FORCE_ALPHA_TEST_TRUE | SoGLImage::FORCE_ALPHA_TEST_FALSE);
    flags |= translucent ? SoGLImage::FORCE_TRANSPARENCY_TRUE : SoGLImage::FORCE_TRANSPARENCY_FALSE;
    flags |= translucent && !partial ? SoGLImage::FORCE_ALPHA_TEST_TRUE
                                     : SoGLImage::FORCE_ALPHA_TEST_FALSE;
    glImage->setFlags(flags);
}

void GraphTexture::makeTexture(SoState* state, const unsigned char* bytes, SbVec2s imageSize) {
    if (glImage) {
        glImage->unref(state);
    }
    const float quality = SoTextureQualityElement::get(state);
    const GLint filter = quality < linearFilterQuality ? GL_NEAREST : GL_LINEAR;

    SoGLDisplayList* object = new SoGLDisplayList(state, SoGLDisplayList::TEXTURE_OBJECT);
    object->ref();
    object->setTextureTarget(GL_TEXTURE_2D);
    object->open(state);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, glWrap(wrapS.getValue()));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, glWrap(wrapT.getValue()));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, imageSize[0], imageSize[1], 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, bytes);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    object->close(state);

    glImage = new SoGLImage;
    partialTexel = -1;  // the new image has no flags yet
    SoGLImage::Wrap wrap = wrapS.getValue() == REPEAT ? SoGLImage::REPEAT : SoGLImage::CLAMP;
    SoGLImage::Wrap wrapTo = wrapT.getValue() == REPEAT ? SoGLImage::REPEAT : SoGLImage::CLAMP;
    glImage->setGLDisplayList(object, state, wrap, wrapTo, quality);
    object->unref(state);
    context = SoGLCacheContextElement::get(state);
    madeSize = imageSize;
    ++made;
}

void GraphTexture::GLRender(SoGLRenderAction* action) {
    SoState* state = action->getState();
    SbVec2s imageSize;
    int components = 0;
    const unsigned char* bytes = image.getValue(imageSize, components);
    // Only the graph's own kind of image on the first unit takes the in-place path.
    if (components != TEXTURE_COMPONENTS || SoTextureUnitElement::get(state) != 0) {
        inherited::GLRender(action);
        return;
    }
    if (SoTextureOverrideElement::getImageOverride(state)) {
        return;
    }
    const bool hasImage = bytes && imageSize != SbVec2s(0, 0);
    if (hasImage) {
        if (!glImage || context != SoGLCacheContextElement::get(state) || imageSize != madeSize) {
            makeTexture(state, bytes, imageSize);
            markTransparency(bytes, imageSize);
        } else if (changed) {
            glImage->getGLDisplayList(state)->call(state);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, imageSize[0], imageSize[1], GL_RGBA,
                            GL_UNSIGNED_BYTE, bytes);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            markTransparency(bytes, imageSize);
        }
        if (changed) {
            // A cache recorded now would hold this image's pixels for good.
            SoCacheElement::setInvalid(TRUE);
            if (state->isCacheOpen()) {
                SoCacheElement::invalidate(state);
            }
        }
        changed = false;
    }
    const float quality = SoTextureQualityElement::get(state);
    SoGLMultiTextureImageElement::set(
        state, this, hasImage ? glImage : nullptr,
        static_cast<SoMultiTextureImageElement::Model>(model.getValue()), blendColor.getValue());
    SoGLMultiTextureEnabledElement::set(state, this, hasImage && quality > 0.0f);
}

#include "tests/support/TextureCensus.h"

#include <GL/gl.h>

#include <vector>

namespace {

// Texture names are small numbers from glGenTextures; a test's scene stays far below this.
const GLuint namesLooked = 4096;
// GL's default priority is 1, and nothing in Coin or Mesa sets another.
const GLfloat marked = 0.25f;

}  // namespace

int TextureCensus::markNew() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    std::vector<GLuint> fresh;
    for (GLuint name = 1; name <= namesLooked; ++name) {
        if (!glIsTexture(name)) {
            continue;
        }
        glBindTexture(GL_TEXTURE_2D, name);
        if (glGetError() != GL_NO_ERROR) {
            continue;  // an object of another target
        }
        GLfloat priority = 1.0f;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, &priority);
        if (priority != marked) {
            fresh.push_back(name);
        }
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    std::vector<GLfloat> priorities(fresh.size(), marked);
    if (!fresh.empty()) {
        glPrioritizeTextures(static_cast<GLsizei>(fresh.size()), fresh.data(), priorities.data());
    }
    return static_cast<int>(fresh.size());
}

// Texture limits and the upload of decoded pictures into GL.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/failure.h"
#include "graphics/gl_state.h"
#include "graphics/texture_upload.h"

namespace fluxcore {

TextureLimits textureLimitsFrom(const char* version, const char* extensions, int maxSize) {
    TextureLimits limits;
    limits.maxSize = maxSize > 0 ? maxSize : 64;  // 64 is the least any GL 1.x implementation takes
    const int major = version ? std::atoi(version) : 0;
    limits.nonPowerOfTwo = major >= 2 || listsExtension(extensions, "GL_ARB_texture_non_power_of_two");
    return limits;
}

TextureLimits queryTextureLimits() {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    return textureLimitsFrom(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                             reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), maxSize);
}

int uploadEdge(int edge, const TextureLimits& limits) {
    int size = std::max(edge, 1);
    if (!limits.nonPowerOfTwo) {
        int power = 1;
        while (power < size && power < limits.maxSize) power *= 2;
        size = power;
    }
    return std::min(size, limits.maxSize);
}

unsigned int uploadTexture(const Image& image, const TextureLimits& limits) {
    const int width = uploadEdge(image.width, limits);
    const int height = uploadEdge(image.height, limits);
    const unsigned char* pixels = image.rgba.data();
    std::vector<unsigned char> scaled;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (width != image.width || height != image.height) {
        scaled.resize(static_cast<std::size_t>(width) * height * 4);
        const GLint status = gluScaleImage(GL_RGBA, image.width, image.height, GL_UNSIGNED_BYTE, pixels, width,
                                           height, GL_UNSIGNED_BYTE, scaled.data());
        if (status != 0) {
            fail("picture %dx%d: cannot scale to %dx%d (%s)", image.width, image.height, width, height,
                 reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(status))));
        }
        pixels = scaled.data();
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return name;
}

}  // namespace fluxcore

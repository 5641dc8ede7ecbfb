// Texture objects and pixel transfer in the recording GL layer: names, level-0
// image sizes and sampling parameters are simulated; pixel data are never
// stored (glReadPixels answers zeros), but gluScaleImage really scales.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "glrecord_internal.h"

namespace glrecord::detail {

namespace {

constexpr int kMaxTextureSize = 8192;

TextureObject* boundObject() {
    State& s = state();
    return s.cur.texture2D < kMaxTextures ? &s.textures[s.cur.texture2D] : nullptr;
}

int componentsOf(GLenum format) {
    switch (format) {
        case GL_RED: case GL_GREEN: case GL_BLUE: case GL_ALPHA: case GL_LUMINANCE:
        case GL_DEPTH_COMPONENT: case GL_STENCIL_INDEX: case GL_COLOR_INDEX:
            return 1;
        case GL_LUMINANCE_ALPHA: return 2;
        case GL_RGB: case GL_BGR: return 3;
        case GL_RGBA: case GL_BGRA: return 4;
        default: return 0;
    }
}

int bytesOf(GLenum type) {
    switch (type) {
        case GL_UNSIGNED_BYTE: case GL_BYTE: return 1;
        case GL_UNSIGNED_SHORT: case GL_SHORT: return 2;
        case GL_UNSIGNED_INT: case GL_INT: case GL_FLOAT: return 4;
        default: return 0;
    }
}

// Bytes from one row to the next under the given alignment and row length.
std::size_t rowStride(int width, int rowLength, int alignment, int pixelBytes) {
    const std::size_t row = static_cast<std::size_t>(rowLength > 0 ? rowLength : width) *
                            static_cast<std::size_t>(pixelBytes);
    const std::size_t a = static_cast<std::size_t>(alignment);
    return (row + a - 1) / a * a;
}

// Largest power of two not above v (at least 1), as gluBuild2DMipmaps sizes level 0.
int powerOfTwoBelow(int v) {
    int p = 1;
    while (p * 2 <= v && p * 2 <= kMaxTextureSize) p *= 2;
    return p;
}

bool validFilter(GLenum pname, GLint value) {
    switch (pname) {
        case GL_TEXTURE_MAG_FILTER: return value == GL_NEAREST || value == GL_LINEAR;
        case GL_TEXTURE_MIN_FILTER:
            return value == GL_NEAREST || value == GL_LINEAR || value == GL_NEAREST_MIPMAP_NEAREST ||
                   value == GL_LINEAR_MIPMAP_NEAREST || value == GL_NEAREST_MIPMAP_LINEAR ||
                   value == GL_LINEAR_MIPMAP_LINEAR;
        case GL_TEXTURE_WRAP_S: case GL_TEXTURE_WRAP_T:
            return value == GL_CLAMP || value == GL_CLAMP_TO_EDGE || value == GL_REPEAT ||
                   value == GL_CLAMP_TO_BORDER || value == GL_MIRRORED_REPEAT;
        default: return true;
    }
}

void setParameter(GLenum target, GLenum pname, GLint value) {
    if (target != GL_TEXTURE_2D) return;
    if (!validFilter(pname, value)) return raiseError(GL_INVALID_ENUM);
    TextureObject* t = boundObject();
    if (t == nullptr) return;
    switch (pname) {
        case GL_TEXTURE_MIN_FILTER: t->minFilter = value; break;
        case GL_TEXTURE_MAG_FILTER: t->magFilter = value; break;
        case GL_TEXTURE_WRAP_S: t->wrapS = value; break;
        case GL_TEXTURE_WRAP_T: t->wrapT = value; break;
        default: break;
    }
}

bool validPixelStore(GLenum pname) {
    return (pname >= GL_UNPACK_SWAP_BYTES && pname <= GL_UNPACK_ALIGNMENT) ||
           (pname >= GL_PACK_SWAP_BYTES && pname <= GL_PACK_ALIGNMENT) ||
           (pname >= GL_PACK_SKIP_IMAGES && pname <= GL_UNPACK_IMAGE_HEIGHT);
}

// Area-weighted resampling of one channel layout; T is GLubyte or GLfloat.
template <typename T>
void scaleImage(int channels, int wIn, int hIn, const unsigned char* in, std::size_t inStride,
                int wOut, int hOut, unsigned char* out, std::size_t outStride) {
    const double sx = static_cast<double>(wIn) / wOut, sy = static_cast<double>(hIn) / hOut;
    double sum[4];
    for (int y = 0; y < hOut; ++y) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < wOut; ++x) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            std::fill(sum, sum + 4, 0.0);
            double total = 0;
            for (int j = static_cast<int>(y0); j < hIn && j < y1; ++j) {
                const double wy = std::min<double>(j + 1, y1) - std::max<double>(j, y0);
                const T* row = reinterpret_cast<const T*>(in + static_cast<std::size_t>(j) * inStride);
                for (int i = static_cast<int>(x0); i < wIn && i < x1; ++i) {
                    const double w = wy * (std::min<double>(i + 1, x1) - std::max<double>(i, x0));
                    for (int c = 0; c < channels; ++c) sum[c] += w * static_cast<double>(row[i * channels + c]);
                    total += w;
                }
            }
            T* target = reinterpret_cast<T*>(out + static_cast<std::size_t>(y) * outStride);
            for (int c = 0; c < channels; ++c) {
                const double v = total > 0 ? sum[c] / total : 0;
                if constexpr (std::is_same_v<T, GLubyte>)
                    target[x * channels + c] = static_cast<GLubyte>(std::lround(std::min(255.0, v)));
                else
                    target[x * channels + c] = static_cast<T>(v);
            }
        }
    }
}

}  // namespace
}  // namespace glrecord::detail

namespace glrecord {

TextureInfo texture(unsigned int name) {
    TextureInfo info;
    if (name >= detail::kMaxTextures) return info;
    const detail::TextureObject& t = detail::state().textures[name];
    info.exists = t.exists;
    info.width = t.width;
    info.height = t.height;
    info.internalFormat = t.internalFormat;
    info.minFilter = t.minFilter;
    info.magFilter = t.magFilter;
    info.wrapS = t.wrapS;
    info.wrapT = t.wrapT;
    return info;
}

}  // namespace glrecord

using namespace glrecord::detail;

extern "C" {

void glGenTextures(GLsizei n, GLuint* textures) {
    State& s = state();
    bool accepted;
    if (s.mode == glrecord::Mode::Record && n > 0) {
        std::vector<double> args{static_cast<double>(n)};
        for (GLsizei i = 0; i < n; ++i) args.push_back(static_cast<double>(s.nextTexture + static_cast<GLuint>(i)));
        accepted = recordv(Fn::glGenTextures, args.data(), args.size());
    } else {
        accepted = record(Fn::glGenTextures, n);
    }
    if (!accepted) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = s.nextTexture++;
        if (name < kMaxTextures) s.textures[name].exists = true;
        textures[i] = name;
    }
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    State& s = state();
    bool accepted;
    if (s.mode == glrecord::Mode::Record && n > 0) {
        std::vector<double> args{static_cast<double>(n)};
        for (GLsizei i = 0; i < n; ++i) args.push_back(static_cast<double>(textures[i]));
        accepted = recordv(Fn::glDeleteTextures, args.data(), args.size());
    } else {
        accepted = record(Fn::glDeleteTextures, n);
    }
    if (!accepted) return;
    if (n < 0) return raiseError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint name = textures[i];
        if (name == 0 || name >= kMaxTextures) continue;
        s.textures[name] = TextureObject{};
        if (s.cur.texture2D == name) s.cur.texture2D = 0;  // deleting a bound texture binds 0
    }
}

GLboolean glIsTexture(GLuint texture) {
    if (!record(Fn::glIsTexture, texture)) return GL_FALSE;
    return texture != 0 && texture < kMaxTextures && state().textures[texture].exists ? GL_TRUE : GL_FALSE;
}

void glBindTexture(GLenum target, GLuint texture) {
    if (!record(Fn::glBindTexture, target, texture)) return;
    if (target != GL_TEXTURE_1D && target != GL_TEXTURE_2D && target != GL_TEXTURE_3D &&
        target != GL_TEXTURE_CUBE_MAP)
        return raiseError(GL_INVALID_ENUM);
    if (target != GL_TEXTURE_2D) return;
    State& s = state();
    s.cur.texture2D = texture;
    if (texture != 0 && texture < kMaxTextures) s.textures[texture].exists = true;
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    (void)pixels;
    if (!record(Fn::glTexImage2D, target, level, internalFormat, width, height, border, format, type))
        return;
    if (level < 0 || width < 0 || height < 0 || width > kMaxTextureSize ||
        height > kMaxTextureSize || (border != 0 && border != 1))
        return raiseError(GL_INVALID_VALUE);
    if (componentsOf(format) == 0 || bytesOf(type) == 0) return raiseError(GL_INVALID_ENUM);
    if (target != GL_TEXTURE_2D || level != 0) return;
    if (TextureObject* t = boundObject()) {
        t->width = width;
        t->height = height;
        t->internalFormat = internalFormat;
    }
}

void glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                     GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) {
    (void)pixels;
    if (!record(Fn::glTexSubImage2D, target, level, xoffset, yoffset, width, height, format, type))
        return;
    if (width < 0 || height < 0 || level < 0) return raiseError(GL_INVALID_VALUE);
    if (componentsOf(format) == 0 || bytesOf(type) == 0) return raiseError(GL_INVALID_ENUM);
    if (target != GL_TEXTURE_2D || level != 0) return;
    const TextureObject* t = boundObject();
    if (t == nullptr || (t->width == 0 && t->height == 0)) return raiseError(GL_INVALID_OPERATION);
    if (xoffset < 0 || yoffset < 0 || xoffset + width > t->width || yoffset + height > t->height)
        raiseError(GL_INVALID_VALUE);
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                         GLsizei width, GLsizei height) {
    if (!record(Fn::glCopyTexSubImage2D, target, level, xoffset, yoffset, x, y, width, height))
        return;
    if (width < 0 || height < 0 || level < 0) return raiseError(GL_INVALID_VALUE);
    if (target != GL_TEXTURE_2D || level != 0) return;
    const TextureObject* t = boundObject();
    if (t == nullptr || (t->width == 0 && t->height == 0)) return raiseError(GL_INVALID_OPERATION);
    if (xoffset < 0 || yoffset < 0 || xoffset + width > t->width || yoffset + height > t->height)
        raiseError(GL_INVALID_VALUE);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (record(Fn::glTexParameteri, target, pname, param)) setParameter(target, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    if (record(Fn::glTexParameterf, target, pname, param))
        setParameter(target, pname, static_cast<GLint>(param));
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
    if (record(Fn::glTexEnvi, target, pname, param) && target == GL_TEXTURE_ENV &&
        pname == GL_TEXTURE_ENV_MODE)
        state().cur.texEnvMode = static_cast<GLenum>(param);
}

void glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    if (record(Fn::glTexEnvf, target, pname, param) && target == GL_TEXTURE_ENV &&
        pname == GL_TEXTURE_ENV_MODE)
        state().cur.texEnvMode = static_cast<GLenum>(param);
}

void glPixelStorei(GLenum pname, GLint param) {
    if (!record(Fn::glPixelStorei, pname, param)) return;
    if (!validPixelStore(pname)) return raiseError(GL_INVALID_ENUM);
    State& s = state();
    if (pname == GL_PACK_ALIGNMENT || pname == GL_UNPACK_ALIGNMENT) {
        if (param != 1 && param != 2 && param != 4 && param != 8) return raiseError(GL_INVALID_VALUE);
        (pname == GL_PACK_ALIGNMENT ? s.packAlignment : s.unpackAlignment) = param;
    } else if (pname == GL_PACK_ROW_LENGTH || pname == GL_UNPACK_ROW_LENGTH) {
        if (param < 0) return raiseError(GL_INVALID_VALUE);
        (pname == GL_PACK_ROW_LENGTH ? s.packRowLength : s.unpackRowLength) = param;
    }
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
    if (!record(Fn::glReadPixels, x, y, width, height, format, type)) return;
    if (width < 0 || height < 0) return raiseError(GL_INVALID_VALUE);
    const int pixelBytes = componentsOf(format) * bytesOf(type);
    if (pixelBytes == 0) return raiseError(GL_INVALID_ENUM);
    const State& s = state();
    const std::size_t stride = rowStride(width, s.packRowLength, s.packAlignment, pixelBytes);
    auto* out = static_cast<unsigned char*>(pixels);
    for (GLsizei row = 0; row < height; ++row)
        std::memset(out + static_cast<std::size_t>(row) * stride, 0,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(pixelBytes));
}

GLint gluScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn,
                    GLsizei wOut, GLsizei hOut, GLenum typeOut, GLvoid* dataOut) {
    if (!record(Fn::gluScaleImage, format, wIn, hIn, typeIn, wOut, hOut, typeOut))
        return GLU_INVALID_OPERATION;
    if (wIn < 0 || hIn < 0 || wOut < 0 || hOut < 0) return GLU_INVALID_VALUE;
    const int channels = componentsOf(format);
    if (channels == 0 || typeIn != typeOut || (typeIn != GL_UNSIGNED_BYTE && typeIn != GL_FLOAT))
        return GLU_INVALID_ENUM;
    if (wIn == 0 || hIn == 0 || wOut == 0 || hOut == 0) return 0;
    const State& s = state();
    const int pixelBytes = channels * bytesOf(typeIn);
    const std::size_t inStride = rowStride(wIn, s.unpackRowLength, s.unpackAlignment, pixelBytes);
    const std::size_t outStride = rowStride(wOut, s.packRowLength, s.packAlignment, pixelBytes);
    const auto* in = static_cast<const unsigned char*>(dataIn);
    auto* out = static_cast<unsigned char*>(dataOut);
    if (typeIn == GL_UNSIGNED_BYTE)
        scaleImage<GLubyte>(channels, wIn, hIn, in, inStride, wOut, hOut, out, outStride);
    else
        scaleImage<GLfloat>(channels, wIn, hIn, in, inStride, wOut, hOut, out, outStride);
    return 0;
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    (void)data;
    if (!record(Fn::gluBuild2DMipmaps, target, internalFormat, width, height, format, type))
        return GLU_INVALID_OPERATION;
    if (width < 1 || height < 1) return GLU_INVALID_VALUE;
    if (componentsOf(format) == 0 || bytesOf(type) == 0) return GLU_INVALID_ENUM;
    if (target != GL_TEXTURE_2D) return 0;
    if (TextureObject* t = boundObject()) {
        t->width = powerOfTwoBelow(width);
        t->height = powerOfTwoBelow(height);
        t->internalFormat = internalFormat;
    }
    return 0;
}

}  // extern "C"

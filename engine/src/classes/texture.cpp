// Texture: a GL texture name with the size of the picture it was made from.
#include "fluxcore/texture.h"

namespace QUASAR_FLUXCORE {

Texture::Texture(unsigned int id, int width, int height) : id_(id), width_(width), height_(height) {}
unsigned int Texture::getID() const { return id_; }
int Texture::getWidth() const { return width_; }
int Texture::getHeight() const { return height_; }

}  // namespace QUASAR_FLUXCORE

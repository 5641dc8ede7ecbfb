// TextureStore.
#include "graphics/texture_store.h"

#include <GL/gl.h>

#include <string_view>
#include <vector>

namespace fluxcore {

void TextureStore::add(const std::string& name, unsigned int glName, int width, int height) {
    auto found = textures_.find(name);
    if (found != textures_.end()) {
        const GLuint old = found->second->getID();
        if (old != 0 && old != glName) glDeleteTextures(1, &old);
    }
    textures_[name] = std::make_unique<QUASAR_FLUXCORE::Texture>(glName, width, height);
}

QUASAR_FLUXCORE::Texture* TextureStore::find(const char* name) const {
    auto found = textures_.find(std::string_view(name));
    return found == textures_.end() ? nullptr : found->second.get();
}

void TextureStore::release() {
    std::vector<GLuint> names;
    for (const auto& entry : textures_) {
        if (entry.second->getID() != 0) names.push_back(entry.second->getID());
    }
    if (!names.empty()) glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    textures_.clear();
}

}  // namespace fluxcore

// TextureStore: the textures the engine made, by archive file name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "fluxcore/texture.h"

namespace fluxcore {

class TextureStore {
public:
    // Registers a texture under `name`, replacing (and deleting) an earlier one.
    void add(const std::string& name, unsigned int glName, int width, int height);
    // Null when unknown. Looked up per drawn object and frame: compares the
    // characters in place, with no std::string built for the key.
    QUASAR_FLUXCORE::Texture* find(const char* name) const;
    std::size_t size() const { return textures_.size(); }
    // Deletes every GL texture and forgets them all.
    void release();

private:
    std::map<std::string, std::unique_ptr<QUASAR_FLUXCORE::Texture>, std::less<>> textures_;
};

}  // namespace fluxcore

// TextureStore: the textures the engine made, by archive file name.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "fluxcore/texture.h"

namespace fluxcore {

class TextureStore {
public:
    // Registers a texture under `name`, replacing (and deleting) an earlier one.
    void add(const std::string& name, unsigned int glName, int width, int height);
    QUASAR_FLUXCORE::Texture* find(const std::string& name) const;  // null when unknown
    std::size_t size() const { return textures_.size(); }
    // Deletes every GL texture and forgets them all.
    void release();

private:
    std::map<std::string, std::unique_ptr<QUASAR_FLUXCORE::Texture>> textures_;
};

}  // namespace fluxcore

// EngineApi on the fluxcore engine library.
#pragma once

#include "host/engine_api.h"

namespace glassmeridian {

class FluxcoreEngine : public EngineApi {
public:
    void setLogging(bool enabled) override;
    bool initEx(const LaunchSettings& settings, const char* archive) override;
    void addFont(int cellWidth, int cellHeight, const char* file) override;
    void addTexture(const char* file) override;
    void registerTimeline() override;
    void initEffects() override;
    void uploadTextures() override;
    void initTimer() override;
    void clearColour() override;
    void updateTimer() override;
    void checkControls(float step) override;
    void clearBuffers() override;
    void run() override;
    void* hdc() override;
    float time() override;
    void setTime(float ms) override;
    void setWindowTitle(const char* title) override;
    void playSong(int n, float startMs) override;
    void setGamma(float gamma) override;
    void shutDown() override;
    void message(const char* text) override;
};

}  // namespace glassmeridian

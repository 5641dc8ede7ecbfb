// The song decoder thread: keeps half the frame ring filled from the Vorbis
// stream and carries out seek requests on the decoder side.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "audio/song_link.h"
#include "audio/vorbis_stream.h"

namespace fluxcore::audio {

class SongDecoder {
public:
    // Starts the thread at once; it decodes from the stream's current position.
    SongDecoder(std::unique_ptr<VorbisStream> stream, SongLink& link);
    ~SongDecoder();  // stops and joins the thread

    SongDecoder(const SongDecoder&) = delete;
    SongDecoder& operator=(const SongDecoder&) = delete;

    // CPU time the thread has used so far (its own thread clock), ns.
    std::int64_t cpuNanoseconds() const { return cpuNs_.load(std::memory_order_relaxed); }
    // True when the stream failed beyond recovery (the song then ends there).
    bool damaged() const { return damaged_.load(std::memory_order_relaxed); }

private:
    void run();
    bool wantsMore() const;
    void decodeSome();
    void serviceSeek();

    std::unique_ptr<VorbisStream> stream_;
    SongLink& link_;
    std::vector<float> scratch_;
    std::uint64_t handledGeneration_ = 0;
    std::atomic<std::int64_t> cpuNs_{0};
    std::atomic<bool> damaged_{false};
    std::thread thread_;
};

}  // namespace fluxcore::audio

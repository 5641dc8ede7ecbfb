// The engine's music seam in a web page: the song is decoded by the browser
// (Web Audio's decodeAudioData) and played from an AudioBuffer. The page may
// hand over an AudioContext it resumed on the viewer's key press or click
// (Module.gmAudioContext); without one the engine makes its own, which the
// browser may keep suspended. While the song is still being decoded, or its
// context is not running, the position is unknown (-1) and the demo clock runs
// on the wall clock; pauses and seeks asked for meanwhile are kept and the
// song starts where they and the time since put it.
#include <emscripten/emscripten.h>

#include "audio/song_sink.h"
#include "platform/platform.h"

// Module.gmSong holds the one song: its context, decoded buffer, playing
// source, the position it was last placed at (offsetMs) and when, in the
// context's and the page's time.
EM_JS(int, gm_song_start, (const unsigned char* bytes, int size, double fromMs), {
    if (Module.gmSong) Module.gmSongStop();
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var ctx = Module.gmAudioContext || (Module.gmAudioContext = new Context());
    var song = {ctx: ctx, buffer: null, source: null, gain: null, offsetMs: fromMs, placedAt: performance.now(),
                paused: false, stopped: false};
    Module.gmSong = song;
    song.play = function() {
        if (!song.buffer || song.paused || song.stopped) return;
        var at = Math.min(song.offsetMs / 1000, song.buffer.duration);
        song.gain = ctx.createGain();
        song.gain.connect(ctx.destination);
        song.source = ctx.createBufferSource();
        song.source.buffer = song.buffer;
        song.source.connect(song.gain);
        song.source.start(0, at);
        song.startedAt = ctx.currentTime - at;
    };
    song.halt = function() {
        if (!song.source) return;
        try { song.source.stop(); } catch (e) {}
        song.source.disconnect();
        song.gain.disconnect();
        song.source = null;
    };
    song.position = function() {
        if (!song.buffer || song.stopped || ctx.state !== 'running') return -1;
        if (!song.source) return song.offsetMs;
        var latency = (ctx.baseLatency || 0) + (ctx.outputLatency || 0);
        var s = Math.max(0, ctx.currentTime - song.startedAt - latency);
        return Math.min(s, song.buffer.duration) * 1000;
    };
    Module.gmSongStop = function() {
        var s = Module.gmSong;
        if (!s) return;
        s.stopped = true;
        if (s.source) {
            // A short fade, so the stop does not click.
            s.gain.gain.setTargetAtTime(0, ctx.currentTime, 0.01);
            var source = s.source;
            setTimeout(function() { try { source.stop(); } catch (e) {} }, 60);
        }
        Module.gmSong = null;
    };
    var data = HEAPU8.slice(bytes, bytes + size).buffer;
    ctx.decodeAudioData(data).then(function(buffer) {
        if (song.stopped) return;
        song.buffer = buffer;
        if (!song.paused) song.offsetMs += performance.now() - song.placedAt;
        song.play();
    }, function(error) {
        console.warn('fluxcore: the song does not decode (' + error + '); playing on silently');
        song.stopped = true;
    });
    return 1;
});

EM_JS(double, gm_song_position, (void), {
    return Module.gmSong ? Module.gmSong.position() : -1;
});

EM_JS(void, gm_song_pause, (int paused), {
    var song = Module.gmSong;
    if (!song || song.paused === !!paused) return;
    if (paused) {
        if (song.source) song.offsetMs = Math.max(0, song.position());
        else if (!song.buffer) song.offsetMs += performance.now() - song.placedAt;
        song.halt();
        song.paused = true;
    } else {
        song.paused = false;
        song.placedAt = performance.now();
        song.play();
    }
});

EM_JS(void, gm_song_seek, (double ms), {
    var song = Module.gmSong;
    if (!song) return;
    song.offsetMs = Math.max(0, ms);
    song.placedAt = performance.now();
    if (song.source) {
        song.halt();
        song.play();
    }
});

EM_JS(void, gm_song_stop, (void), {
    if (Module.gmSongStop) Module.gmSongStop();
});

// A closed context plays nothing again: the song is dropped.
EM_JS(int, gm_song_lost, (void), {
    var song = Module.gmSong;
    if (!song || song.ctx.state !== 'closed') return 0;
    song.stopped = true;
    Module.gmSong = null;
    return 1;
});

EM_JS(int, gm_song_rate, (void), {
    return Module.gmSong ? Module.gmSong.ctx.sampleRate : 0;
});

// The frames the context renders ahead of the output, as far as it says.
EM_JS(int, gm_song_buffer_frames, (void), {
    var song = Module.gmSong;
    return song ? Math.round((song.ctx.baseLatency || 0) * song.ctx.sampleRate) : 0;
});

namespace fluxcore::platform {

namespace {

// The page's one song in Module.gmSong, as the engine's music operations see it.
class WebSong : public audio::SongSink {
public:
    ~WebSong() override { gm_song_stop(); }
    double positionMs() override { return gm_song_position(); }
    void pause(bool paused) override { gm_song_pause(paused ? 1 : 0); }
    void seekMs(double ms) override { gm_song_seek(ms); }
    // The page fades the song out itself when it is stopped.
    void fadeOut() override { gm_song_stop(); }
    bool deviceLost(std::string& why) override {
        if (!gm_song_lost()) return false;
        why = "the page's audio context was closed (Web Audio)";
        return true;
    }
    // The browser mixes for its own output; its latency is in the position
    // already (the context's base and output latency), so there is no sound
    // server's to allow for.
    audio::SongOutput output() const override {
        audio::SongOutput o;
        o.rate = gm_song_rate();
        if (o.rate == 0) return o;
        o.playing = true;
        o.driver = "Web Audio";
        o.bufferFrames = gm_song_buffer_frames();
        return o;
    }
};

}  // namespace

std::unique_ptr<audio::SongSink> openSong(std::vector<unsigned char> ogg, double fromMs, std::string& why) {
    if (!gm_song_start(ogg.data(), static_cast<int>(ogg.size()), fromMs)) {
        why = "this browser has no Web Audio";
        return nullptr;
    }
    return std::make_unique<WebSong>();
}

}  // namespace fluxcore::platform

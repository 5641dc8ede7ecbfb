// DemoClock: the demo's millisecond clock, free of any platform call. The
// caller passes in the wall time (a monotonic millisecond count), the song's
// position while a song plays, and the song controls it may steer, so the
// whole logic runs exactly in tests.
#pragma once

namespace fluxcore {

// What the clock may do to the playing song.
class SongControl {
public:
    virtual ~SongControl() = default;
    virtual void pause(bool paused) = 0;
    virtual void seek(double songMs) = 0;
};

class DemoClock {
public:
    // Demo time 0 at wall time `nowMs`; forgets any song, pause and fixed mode.
    void start(double nowMs);

    // Advances the time. Running free it follows the wall clock; while a song
    // plays (songPositionMs >= 0) it follows the song, placed at the demo time
    // the song started at. Paused, it follows the song until the song comes to
    // rest (the sound already on its way to the speakers, so picture and
    // sound stop together), and stays put without a song. Fixed, it stays
    // put. It never goes back.
    void update(double nowMs, double songPositionMs, SongControl& song);

    double time() const { return time_; }

    // Jumps to `ms` (clamped at 0) and carries on from there; with seek the
    // only ways in which the time may go back. The song follows: before its
    // start it is held at its beginning and resumes when the time gets there.
    void setTime(double ms, double nowMs, SongControl& song);
    // Moves the time by `deltaMs`; returns the new time.
    double seek(double deltaMs, double nowMs, SongControl& song);

    void setPaused(bool paused, double nowMs, SongControl& song);
    bool paused() const { return paused_; }

    // Fixed: update leaves the time alone; only setTime moves it.
    void setFixed(bool fixed, double nowMs);
    bool fixed() const { return fixed_; }

    // A song was started `songAtMs` into it, to be heard at demo time
    // `startMs` (clamped at 0): its position must be the demo time less
    // `startMs` whenever it plays. Started elsewhere it moves to that offset
    // (late) or is held at its beginning until the time gets there (early).
    // From now on the clock follows it.
    void songStarted(double startMs, SongControl& song, double songAtMs = 0.0);
    void songStopped() { songStart_ = -1.0; songHeld_ = false; }
    bool hasSong() const { return songStart_ >= 0.0; }
    bool songHeld() const { return songHeld_; }

private:
    void anchor(double nowMs);
    void releaseHeldSong(SongControl& song);
    void placeSong(SongControl& song);  // song position from the time, or held before its start

    double time_ = 0.0;        // current demo time, ms
    double anchorTime_ = 0.0;  // demo time at the wall time anchorWall_
    double anchorWall_ = 0.0;
    double songStart_ = -1.0;  // demo time at which the song began; < 0: no song
    bool songHeld_ = false;    // time is before songStart_: song paused at 0
    bool paused_ = false;
    bool fixed_ = false;
};

}  // namespace fluxcore

// DemoClock logic.
#include "core/clock.h"

#include <algorithm>
#include <cmath>

namespace fluxcore {

void DemoClock::start(double nowMs) {
    time_ = 0.0;
    songStart_ = -1.0;
    songHeld_ = false;
    paused_ = false;
    fixed_ = false;
    anchor(nowMs);
}

void DemoClock::anchor(double nowMs) {
    anchorTime_ = time_;
    anchorWall_ = nowMs;
}

void DemoClock::releaseHeldSong(SongControl& song) {
    if (!songHeld_ || time_ < songStart_) return;
    songHeld_ = false;
    song.seek(time_ - songStart_);
    if (!paused_) song.pause(false);
}

void DemoClock::update(double nowMs, double songPositionMs, SongControl& song) {
    if (fixed_) return;
    const bool following = hasSong() && !songHeld_ && songPositionMs >= 0.0;
    if (paused_) {
        // The song's sound already on its way is still heard: the picture
        // stops with it (the song's position comes to rest by itself).
        if (following) time_ = std::max(time_, songStart_ + songPositionMs);
        return;
    }
    double candidate = anchorTime_ + (nowMs - anchorWall_);
    if (following) {
        candidate = std::max(time_, songStart_ + songPositionMs);
        // Re-anchor so that the wall clock carries on seamlessly should the
        // song end or its device go away.
        anchorTime_ = candidate;
        anchorWall_ = nowMs;
    }
    time_ = std::max(time_, candidate);
    releaseHeldSong(song);
}

void DemoClock::setTime(double ms, double nowMs, SongControl& song) {
    time_ = std::max(0.0, ms);
    anchor(nowMs);
    placeSong(song);
}

void DemoClock::songStarted(double startMs, SongControl& song, double songAtMs) {
    songStart_ = std::max(0.0, startMs);
    songHeld_ = false;
    if (time_ > songStart_) {
        // Within a millisecond it is already there: no seek, whose fade and
        // wait would be heard.
        if (std::fabs(time_ - songStart_ - songAtMs) >= 1.0) song.seek(time_ - songStart_);
    } else if (time_ < songStart_) {
        placeSong(song);
    }
    if (paused_ && !songHeld_) song.pause(true);
}

void DemoClock::placeSong(SongControl& song) {
    if (!hasSong()) return;
    if (time_ < songStart_) {
        if (!songHeld_) {
            songHeld_ = true;
            song.pause(true);
        }
        song.seek(0.0);
    } else if (songHeld_) {
        releaseHeldSong(song);
    } else {
        song.seek(time_ - songStart_);
    }
}

double DemoClock::seek(double deltaMs, double nowMs, SongControl& song) {
    setTime(time_ + deltaMs, nowMs, song);
    return time_;
}

void DemoClock::setPaused(bool paused, double nowMs, SongControl& song) {
    if (paused == paused_) return;
    paused_ = paused;
    if (!paused_) anchor(nowMs);  // the paused stretch does not count
    if (hasSong() && !songHeld_) song.pause(paused_);
}

void DemoClock::setFixed(bool fixed, double nowMs) {
    if (fixed == fixed_) return;
    fixed_ = fixed;
    if (!fixed_) anchor(nowMs);
}

}  // namespace fluxcore

// The score notation, automation lanes and the shape of the composed piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "notation.h"
#include "score.h"

namespace gmsynth {
namespace {

TEST(Notation, NoteNamesAndPhrases) {
    EXPECT_EQ(noteNumber("C4"), 60);
    EXPECT_EQ(noteNumber("A4"), 69);
    EXPECT_EQ(noteNumber("Bb1"), 34);
    EXPECT_EQ(noteNumber("C#5"), 73);
    EXPECT_EQ(noteNumber("C-1"), 0);

    const Phrase p = parsePhrase("A4:6 r:2 D5:4  C5:4");
    EXPECT_EQ(p.steps, 16);
    ASSERT_EQ(p.notes.size(), 3u);
    EXPECT_EQ(p.notes[1].step, 8);
    EXPECT_EQ(p.notes[1].length, 4);
    EXPECT_EQ(p.notes[1].note, 74);
}

TEST(Notation, MalformedInputNamesTheToken) {
    for (const char* bad : {"H4:2", "A:2", "A4", "A4:", "A4:x", "A4:0", "Ab:3", "A44:1"}) {
        try {
            parsePhrase(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const std::invalid_argument& e) {
            const std::string token = std::string(bad).substr(0, std::string(bad).find(':'));
            EXPECT_NE(std::string(e.what()).find(token), std::string::npos) << e.what();
        }
    }
}

TEST(Lane, InterpolatesAndHoldsItsEnds) {
    const Lane lane({{2.0, 10.0}, {1.0, 0.0}, {4.0, 10.0}});  // unsorted on purpose
    EXPECT_DOUBLE_EQ(lane.at(0.0), 0.0);
    EXPECT_DOUBLE_EQ(lane.at(1.5), 5.0);
    EXPECT_DOUBLE_EQ(lane.at(3.0), 10.0);
    EXPECT_DOUBLE_EQ(lane.at(9.0), 10.0);
    EXPECT_DOUBLE_EQ(Lane().at(1.0), 0.0);
}

bool anyBetween(const Song& s, Instrument i, double from, double to) {
    return std::any_of(s.notes.begin(), s.notes.end(), [&](const NoteEvent& n) {
        return n.instrument == i && n.start >= from && n.start < to;
    });
}

TEST(Piece, FollowsThePicture) {
    const Song song = composeGlassMeridian();
    EXPECT_GE(song.length, 47.0);
    for (const NoteEvent& n : song.notes) {
        ASSERT_GE(n.start, 0.0);
        ASSERT_LT(n.start + n.length, 47.0) << "instrument " << static_cast<int>(n.instrument);
        ASSERT_GT(n.velocity, 0.0);
        ASSERT_LE(n.velocity, 1.0);
    }
    // A quiet opening: pad and bells only.
    for (Instrument i : {Instrument::Bass, Instrument::Arp, Instrument::Lead, Instrument::Kick,
                         Instrument::Snare, Instrument::Hat}) {
        EXPECT_FALSE(anyBetween(song, i, 0.0, 5.0)) << static_cast<int>(i);
    }
    // Percussion belongs to the build-up and the peak, and stops for the fade.
    EXPECT_FALSE(anyBetween(song, Instrument::Kick, 0.0, 14.0));
    EXPECT_TRUE(anyBetween(song, Instrument::Kick, 20.0, 30.0));
    EXPECT_TRUE(anyBetween(song, Instrument::Snare, 25.0, 30.0));
    EXPECT_TRUE(anyBetween(song, Instrument::Crash, 29.99, 30.01));  // the peak
    EXPECT_FALSE(anyBetween(song, Instrument::Kick, 38.0, 48.0));
    EXPECT_FALSE(anyBetween(song, Instrument::Hat, 42.3, 48.0));
    // The master fade is shut by 47 s.
    EXPECT_DOUBLE_EQ(song.automation.master.at(20.0), 1.0);
    EXPECT_DOUBLE_EQ(song.automation.master.at(47.0), 0.0);
    EXPECT_GT(song.automation.arpCutoff.at(30.0), 4.0 * song.automation.arpCutoff.at(14.0));
}

}  // namespace
}  // namespace gmsynth

// Real frames of the structure scene rendered by Mesa through the engine
// library, checked for what a viewer sees: the loading picture covering the
// first frame, then the dark blue grid, white cube outlines and glows, and the
// greenish track line.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <fluxcore.h>

#include "effects/structure_effect.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Pixel {
    int r, g, b;
};

class Frame {
public:
    static Frame read() {
        Frame frame;
        frame.bytes_.resize(static_cast<std::size_t>(kWidth * kHeight * 4));
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.bytes_.data());
        return frame;
    }
    template <typename Predicate>
    int count(Predicate predicate) const {
        int n = 0;
        for (std::size_t i = 0; i < bytes_.size(); i += 4) {
            n += predicate(Pixel{bytes_[i], bytes_[i + 1], bytes_[i + 2]}) ? 1 : 0;
        }
        return n;
    }
    // Mean absolute difference per channel, 0 to 255.
    double difference(const Frame& other) const {
        double sum = 0;
        for (std::size_t i = 0; i < bytes_.size(); ++i) {
            if (i % 4 != 3) sum += std::abs(int(bytes_[i]) - int(other.bytes_[i]));
        }
        return sum / (kWidth * kHeight * 3);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

bool darkBlue(const Pixel& p) { return p.r < 12 && p.b >= 12 && p.b <= 70 && p.b > p.g + 8; }
bool whiteish(const Pixel& p) { return p.r > 190 && p.g > 190 && p.b > 190; }
bool greenish(const Pixel& p) { return p.g > 55 && p.g > p.r + 12 && p.g > p.b + 35; }

class StructureRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            ready_ = QUASAR_FLUXCORE::dmsInitEx(kWidth, kHeight, 32, false, false, false,
                                                GM_STRUCTURE_DATA_PAK);
            if (!ready_) return;
            QUASAR_FLUXCORE::dmsUploadTextures();
            QUASAR_FLUXCORE::dmsAddEffect(2000, 49000, "rakenne", new glassmeridian::StructureEffect());
            QUASAR_FLUXCORE::dmsInitEffects();
            QUASAR_FLUXCORE::dmsSetFixedClock(true);
        } catch (const char* message) {
            failure_ = message;
            ready_ = false;
        }
    }
    static void TearDownTestSuite() { QUASAR_FLUXCORE::dmsShutDown(); }

    void SetUp() override { ASSERT_TRUE(ready_) << "engine start-up failed: " << failure_; }

    // One frame as the host draws it, at demo time ms.
    static Frame render(float ms) {
        QUASAR_FLUXCORE::dmsSetTime(ms);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        QUASAR_FLUXCORE::dmsRun();
        return Frame::read();
    }

    // The loading picture alone, full screen at full strength.
    static Frame loadingPicture() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        QUASAR_FLUXCORE::dmsPerspective2D(1, 1);
        QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
        QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_BLEND);
        QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, QUASAR_FLUXCORE::dmsGetTexture("loadpic.jpg")->getID());
        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1);
        glVertex2f(0, 0);
        glTexCoord2f(1, 1);
        glVertex2f(1, 0);
        glTexCoord2f(1, 0);
        glVertex2f(1, 1);
        glTexCoord2f(0, 0);
        glVertex2f(0, 1);
        glEnd();
        QUASAR_FLUXCORE::dmsPerspective3D();
        return Frame::read();
    }

    static bool ready_;
    static const char* failure_;
};
bool StructureRender::ready_ = false;
const char* StructureRender::failure_ = "";

TEST_F(StructureRender, FirstFrameShowsOnlyTheLoadingPicture) {
    const Frame first = render(2000.0f);
    const Frame picture = loadingPicture();
    EXPECT_LT(first.difference(picture), 2.0);
    // Drawn again, the scene is there and the picture gone.
    EXPECT_GT(render(25500.0f).difference(picture), 10.0);
}

TEST_F(StructureRender, MidSceneShowsGridCubesAndTheGreenLine) {
    const Frame frame = render(25500.0f);  // t = 0.5
    const int pixels = kWidth * kHeight;
    EXPECT_GT(frame.count(darkBlue), pixels / 20) << "the grid's dark blue";
    EXPECT_GT(frame.count(whiteish), 40) << "white cube outlines and glows";
    EXPECT_GT(frame.count(greenish), 150) << "the track line and ribbon";
}

TEST_F(StructureRender, LaterTheStructureTurnsAndSinksBelowTheGrid) {
    const int pixels = kWidth * kHeight;
    const Frame turned = render(35000.0f);  // t ~ 0.70: the waves' crest, long line
    EXPECT_GT(turned.count(darkBlue), pixels / 20);
    EXPECT_GT(turned.count(greenish), 400);
    EXPECT_GT(turned.count(whiteish), 40);

    // Near the end the structure has sunk under the grid, which hides it.
    const Frame sunk = render(46000.0f);  // t ~ 0.94
    EXPECT_GT(sunk.count(darkBlue), pixels / 20);
    EXPECT_LT(sunk.count(greenish), 30);
    EXPECT_LT(sunk.count(whiteish), 10);
}

}  // namespace

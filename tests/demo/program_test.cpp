// The real program end to end on a private X server of 1920 x 1080: it plays
// its module, shows the show in its window (640 x 480, twice that with
// --scale 2, the whole screen with --fullscreen: magnified exactly, black
// around it), and ends with status 0 when the window is asked to close, even
// while it starts, or, built with a frame count, after its frames.
#include <gtest/gtest.h>

#include <cstring>

#include "support/images.h"
#include "support/program_run.h"
#include "support/x_session.h"

namespace {

const std::string kPlaying = "Playing Low Tide Lanterns (8 chn)\n";

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer("1920x1080x24")); }
    TempFolder folder{"program"};
};

// Every pixel outside the picture is black, and every picture pixel is a
// square of factor x factor equal pixels.
int PixelsOffTheMagnifiedPicture(const Image& shot, int left, int top, int factor) {
    int off = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            int px = x - left, py = y - top;
            bool inside = px >= 0 && px < 640 * factor && py >= 0 && py < 480 * factor;
            const uint8_t* p = shot.At(x, y);
            const uint8_t* corner = inside ? shot.At(left + px / factor * factor, top + py / factor * factor) : nullptr;
            off += inside ? std::memcmp(p, corner, 3) != 0 : (p[0] | p[1] | p[2]) != 0;
        }
    return off;
}

TEST_F(Program, ShowsTheShowMagnifiedExactlyAndClosesOnRequest) {
    const struct {
        std::vector<std::string> args;
        int width, height;      // the window
        int left, top, factor;  // the picture in it
    } rows[] = {
        {{}, 640, 480, 0, 0, 1},
        {{"--scale", "2"}, 1280, 960, 0, 0, 2},
        {{"--fullscreen"}, 1920, 1080, 320, 60, 2},  // 2.25 times fits: sharp pixels at 2, centred
    };
    Launch show = LayOutShow(folder.Path(), MOONLIT_DEMO_PROGRAM);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        show.args = row.args;
        RunningProgram program(show);
        std::string window = program.WaitForWindow();
        ASSERT_FALSE(window.empty()) << program.Wait().err;
        Image shot = Screenshot(window);
        for (int tries = 0; !ShowsTheShow(shot, row.left, row.top, row.factor) && tries < 100; ++tries)
            shot = program.KeepsRunning(std::chrono::milliseconds(100)) ? Screenshot(window) : Image();
        ASSERT_EQ(std::pair(shot.width, shot.height), std::pair(row.width, row.height));
        EXPECT_TRUE(ShowsTheShow(shot, row.left, row.top, row.factor));
        EXPECT_EQ(PixelsOffTheMagnifiedPicture(shot, row.left, row.top, row.factor), 0);
        // Nothing but what it means to say: no library complaining at exit
        // about an audio device left open.
        Outcome o = program.Close(window);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.out, kPlaying);
        EXPECT_EQ(o.err, "");
    }
}

TEST_F(Program, ACloseRequestWhileItStartsEndsItOnceTheGameBegins) {
    RunningProgram program(LayOutShow(folder.Path(), MOONLIT_DEMO_PROGRAM));
    std::string window = program.WaitForWindow();  // before the game has begun
    ASSERT_FALSE(window.empty()) << program.Wait().err;
    xsession::SendDeleteWindow(window);  // once: the program must keep it
    Outcome o = program.Wait();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, kPlaying);  // the game began (the module plays at its start), then ended
}

// The demo_frames program closes itself after its frames as a close request
// would. The sanitizer build runs 10,000 frames, and any report fails them.
TEST_F(Program, WithAFrameCountEndsCleanlyAfterItsFrames) {
    Launch launch = LayOutShow(folder.Path(), MOONLIT_DEMO_FRAMES_PROGRAM);
    launch.args = {std::to_string(MOONLIT_DEMO_FRAMES)};
    launch.env.push_back("ASAN_OPTIONS=detect_leaks=1");
    // At 50 frames a second, with room for a slow sanitized GL driver.
    Outcome o = RunToEnd(launch, std::chrono::seconds(60 + MOONLIT_DEMO_FRAMES / 10));
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_EQ(o.out, kPlaying);
    EXPECT_EQ(o.err, "");
}

}  // namespace

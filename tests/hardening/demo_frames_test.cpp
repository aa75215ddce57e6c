// The whole program for a given number of frames in a run folder of its
// own. In the sanitizer build (make sanitize) that is 10,000 frames, and any
// report ends the run with a failure; elsewhere a short run keeps the path
// itself tested: the frame count reached, OnClose's clean end.
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "support/x_session.h"

TEST(DemoFrames, RunsItsFramesAndEndsCleanly) {
    ASSERT_TRUE(xsession::StartServer());
    TempFolder folder("frames");
    LayOutShow(folder.Path(), MOONLIT_DEMO_FRAMES_PROGRAM);
    Launch launch{(folder / "demo_frames"), {std::to_string(MOONLIT_DEMO_FRAMES)}, folder.Path()};
    launch.env.push_back("ASAN_OPTIONS=detect_leaks=1");
    // At 50 frames a second, with room for a slow sanitized GL driver.
    Outcome o = RunToEnd(launch, std::chrono::seconds(60 + MOONLIT_DEMO_FRAMES / 10));
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_EQ(o.out, "Playing Low Tide Lanterns (8 chn)\n");
    EXPECT_EQ(o.err.find("runtime error"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("Sanitizer"), std::string::npos) << o.err;
}

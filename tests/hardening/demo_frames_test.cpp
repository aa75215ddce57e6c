// The whole program for a given number of frames in a run folder of its
// own. In the sanitizer build (make sanitize) that is 10,000 frames, and any
// report ends the run with a failure; elsewhere a short run keeps the path
// itself tested.
#include <gtest/gtest.h>

#include "hardening/demo_run.h"

TEST(DemoFrames, RunsItsFramesAndEndsCleanly) {
    ASSERT_TRUE(xsession::StartServer());
    demorun::RunFolder run;
    std::filesystem::copy_file(MOONLIT_DEMO_FRAMES_PROGRAM, run.Dir() / "demo-frames");
    demorun::Outcome o;
    pid_t pid = run.Start("SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1", "",
                          "./demo-frames", std::to_string(MOONLIT_DEMO_FRAMES));
    // At 50 frames a second, with room for a slow sanitized GL driver.
    bool still_running = run.KeepsRunning(pid, o, std::chrono::seconds(60 + MOONLIT_DEMO_FRAMES / 10));
    if (still_running) run.Close(pid, "", o, std::chrono::seconds(1));
    EXPECT_FALSE(still_running) << "did not finish its frames in time";
    EXPECT_TRUE(o.exited) << "signal " << o.signal << "\n" << o.out << o.err;
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find("Playing "), std::string::npos) << o.out;
    EXPECT_EQ(o.err.find("runtime error"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("Sanitizer"), std::string::npos) << o.err;
}

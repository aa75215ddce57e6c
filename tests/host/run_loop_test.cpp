// The whole game loop, Run, on a real window with a controlled clock: it
// opens the window, starts the game, renders once per pass, sleeps until
// the next update and returns when the window's close flag is set.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include "tests/host/fake_clock.h"
#include "support/x_session.h"

double FakeClock::now = 0;
std::vector<int> FakeClock::sleeps;

namespace {

struct FrameCounter : RtGameDelegate {
    int starts = 0, updates = 0, renders = 0;
    int updates_at_first_render = -1;
    void StartGame() override {
        ++starts;
        CurrentGame()->SetUpdateRate(50);
    }
    void UpdateGame() override { ++updates; }
    void RenderGame() override {
        if (renders++ == 0) updates_at_first_render = updates;
        FakeClock::now += 0.010;  // each frame takes 10 ms
        if (renders == 20) glfwSetWindowShouldClose(CurrentGlfwGame()->GetWindow(), GLFW_TRUE);
    }
};

TEST(RunLoop, RendersOncePerPassAndUpdatesAt50HzUntilTheCloseFlag) {
    ASSERT_TRUE(xsession::StartServer());
    ASSERT_TRUE(glfwInit());
    RtVantorixGame host;
    FakeClock::Install(host, 5.0);
    FrameCounter* counter = gc_new<FrameCounter>();
    host.SetDelegate(counter);
    host.Run();

    EXPECT_EQ(counter->starts, 1);
    EXPECT_EQ(counter->updates_at_first_render, 0);  // started, then rendered first
    EXPECT_EQ(counter->renders, 20);
    EXPECT_EQ(counter->updates, 20);  // the flag is looked at when the next pass begins
    EXPECT_EQ(FakeClock::sleeps.size(), 19u);  // every pass after the first
    for (int ms : FakeClock::sleeps) EXPECT_NEAR(ms, 10, 1);
    EXPECT_EQ(host.GetDeviceWidth(), 640);
    // No glfwTerminate: unloading the GL driver before the process ends
    // would leave its own leaks nameless for the leak checker's list of
    // system libraries.
}

}  // namespace

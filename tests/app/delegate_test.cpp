// c_App and c_GameDelegate on the real host with its window (rendering needs
// an OpenGL context): the order of an update's steps, the close and back
// requests, what start-up leaves alive through full collections, and the one
// application a process may have.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "app/framework.h"
#include "graphics/graphics_context.h"
#include "host/glfw_game.h"
#include "support/x_session.h"

namespace {

struct ProbeApp : c_App {
    int renders = 0, closes = 0, hits_seen_in_update = -1;
    int OnUpdate() override { return hits_seen_in_update = inputDevice->keyHits[65], 0; }
    int OnRender() override { return ++renders, DrawRect(0, 0, 8, 8), 0; }
    int OnClose() override { return ++closes, 0; }
};

ProbeApp* probe = nullptr;
bool globals_before_app = false;

class Delegate : public ::testing::Test {
protected:
    // Once per process, as a program's main() starts it, with the window open.
    static void SetUpTestSuite() {
        if (probe) return;
        ASSERT_TRUE(xsession::StartServer() && glfwInit());
        static char name[] = "probe";
        static char* argv[] = {name, nullptr};
        RtVantorixGame* host = new RtVantorixGame();
        StartFramework(1, argv, {[] { globals_before_app = !probe; }, [] { probe = gc_new<ProbeApp>(); }});
        host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
        host->StartGame();
    }
    RtGame* host = CurrentGame();
};

// Key, pointer and motion events reach the input device; an update sees
// the hits of the events before it and clears them after.
TEST_F(Delegate, EventsReachTheInputDeviceAndAnUpdateSeesThenClearsTheirHits) {
    host->MouseEvent(kEventMouseDown, 0, 3, 4, 0);
    host->TouchEvent(kEventTouchMove, 2, 7, 8);
    host->MotionEvent(kEventMotionAccel, 0, 1, 2, 3);
    EXPECT_TRUE(inputDevice->keyDown[1]);
    EXPECT_EQ(inputDevice->touchX[2], 7);
    EXPECT_EQ(inputDevice->accelY, 2);
    host->KeyEvent(kEventKeyDown, 65);
    host->UpdateGame();
    EXPECT_EQ(probe->hits_seen_in_update, 1);
    EXPECT_EQ(inputDevice->keyHits[65], 0);
    host->UpdateGame();
    EXPECT_EQ(probe->hits_seen_in_update, 0);
    host->KeyEvent(kEventKeyUp, 65);
}

TEST_F(Delegate, CloseAndBackRequestsCallOnCloseOnKeyDownOnly) {
    const struct {
        int event, key, closes;
    } rows[] = {{kEventKeyDown, kKeyCloseRequest, 1}, {kEventKeyUp, kKeyCloseRequest, 1},
                {kEventKeyDown, kKeyBackRequest, 2}, {kEventKeyDown, 27, 2}};
    for (const auto& row : rows) {
        host->KeyEvent(row.event, row.key);
        EXPECT_EQ(probe->closes, row.closes) << row.event << " " << row.key;
    }
}

// Start-up sets up the program's globals, then creates the application and
// hands its delegate to the host. The application, its delegate, the input
// device and the graphics context are roots or reached from one: frames
// after full collections draw on them.
TEST_F(Delegate, StartUpWiresTheAppAndWhatItMadeOutlivesFullCollections) {
    EXPECT_TRUE(globals_before_app);
    EXPECT_EQ(app, probe);
    EXPECT_EQ(host->GetDelegate(), gameDelegate);
    SetUpdateRate(30);
    EXPECT_EQ(host->GetUpdateRate(), 30);
    for (int i = 0; i < 3; ++i) {
        gc_collect_full();
        host->UpdateGame();
        host->RenderGame();
    }
    EXPECT_EQ(probe->renders, 3);
    for (const void* object : std::initializer_list<const void*>{app, gameDelegate, inputDevice, context})
        EXPECT_TRUE(gc_is_known_object(object));
    EXPECT_STREQ(gc_check_heap(), "");
}

TEST(AppDeathTest, ASecondAppIsARuntimeError) {
    // Forked in a fresh process: the window's driver runs threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::exit(4);  // the debugger prompt reads nothing
            RtGame host;
            game = &host;
            gc_new<c_App>();
            gc_new<c_App>();
        },
        ::testing::ExitedWithCode(255), "");
}

}  // namespace

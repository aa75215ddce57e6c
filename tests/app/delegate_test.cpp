// c_App and c_GameDelegate on the real host with its window (on a private
// X server, since the graphics steps need an OpenGL context): the order of
// the update steps, the close and back requests, the start-up, and the ways
// the process ends.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "app/framework.h"
#include "host/glfw_game.h"
#include "support/x_session.h"

namespace {

struct ProbeApp : c_App {
    int updates = 0, renders = 0, closes = 0, hits_seen_in_update = -1;
    int OnUpdate() override { return ++updates, hits_seen_in_update = inputDevice->keyHits[65], 0; }
    int OnRender() override { return ++renders, 0; }
    int OnClose() override { return ++closes, 0; }
    void Reset() { updates = renders = closes = 0, hits_seen_in_update = -1; }
};

ProbeApp* probe = nullptr;

// The framework started as a program's main() starts it, with the window open.
void StartGameWith(void (*create)()) {
    if (!xsession::StartServer() || !glfwInit()) std::exit(5);
    static char name[] = "probe";
    static char* argv[] = {name, nullptr};
    RtVantorixGame* host = new RtVantorixGame();
    StartFramework(1, argv, {nullptr, create});
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    host->StartGame();
}

class Delegate : public ::testing::Test {
protected:
    // Once per process: a second application is a runtime error.
    static void SetUpTestSuite() {
        if (!probe) StartGameWith([] { probe = gc_new<ProbeApp>(); });
    }
    void SetUp() override { probe->Reset(); }
    RtGame* host = CurrentGame();
};

TEST_F(Delegate, StartUpWiresTheAppTheDelegateAndTheHost) {
    EXPECT_EQ(app, probe);
    EXPECT_EQ(host->GetDelegate(), gameDelegate);
    ASSERT_NE(gameDelegate->input, nullptr);
    EXPECT_EQ(inputDevice, gameDelegate->input);
    host->RenderGame();
    host->RenderGame();
    EXPECT_EQ(probe->renders, 2);
    SetUpdateRate(30);
    EXPECT_EQ(updateRate, 30);
    EXPECT_EQ(host->GetUpdateRate(), 30);
}

TEST_F(Delegate, AnUpdateSeesTheHitsOfItsEventsAndClearsThemAfter) {
    host->KeyEvent(kEventKeyDown, 65);
    host->KeyEvent(kEventKeyChar, 'a');
    host->UpdateGame();
    EXPECT_EQ(probe->hits_seen_in_update, 1);
    EXPECT_EQ(inputDevice->keyHits[65], 0);
    EXPECT_EQ(inputDevice->charPut, 0);
    EXPECT_TRUE(inputDevice->keyDown[65]);
    host->UpdateGame();
    EXPECT_EQ(probe->hits_seen_in_update, 0);
    host->KeyEvent(kEventKeyUp, 65);
    EXPECT_FALSE(inputDevice->keyDown[65]);
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

TEST_F(Delegate, PointerEventsReachOnlyTheInputDeviceWhichOutlivesCollections) {
    host->MouseEvent(kEventMouseDown, 0, 3, 4, 0);
    host->TouchEvent(kEventTouchMove, 2, 7, 8);
    host->MotionEvent(kEventMotionAccel, 0, 1, 2, 3);
    EXPECT_TRUE(inputDevice->keyDown[1]);
    EXPECT_EQ(inputDevice->touchX[2], 7);
    EXPECT_EQ(inputDevice->accelY, 2);
    EXPECT_EQ(probe->updates + probe->renders + probe->closes, 0);
    for (int i = 0; i < 3; ++i) {
        gc_collect_full();
        host->UpdateGame();
    }
    EXPECT_TRUE(gc_is_known_object(gameDelegate->input));
    EXPECT_STREQ(gc_check_heap(), "");
}

// The window's driver runs threads: a death test forked beside them may
// hang, so each one runs in a fresh process of its own.
class AppDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(AppDeathTest, TheDefaultOnCloseEndsTheProcessWithStatusZero) {
    EXPECT_EXIT(
        {
            StartGameWith([] { gc_new<c_App>(); });
            CurrentGame()->KeyEvent(kEventKeyDown, kKeyCloseRequest);
            std::exit(3);  // not reached
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(AppDeathTest, ASecondAppIsARuntimeError) {
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::exit(4);  // the debugger prompt reads nothing
            RtGame host;
            game = &host;
            gc_new<c_App>();
            gc_new<c_App>();
            std::exit(3);
        },
        ::testing::ExitedWithCode(255), "");
}

c_App* created = nullptr;
bool globals_ran = false;

void StartTheFrameworkAndCheck() {
    RtGame host;
    char* argv[] = {const_cast<char*>("probe"), nullptr};
    ProgramEntry program = {[] { globals_ran = true; }, [] { created = gc_new<ProbeApp>(); }};
    StartFramework(1, argv, program);
    bool ok = globals_ran && created == app && game == &host && host.GetDelegate() == gameDelegate &&
              FrameworkArgc() == 1 && FrameworkArgv() == argv && updateRate == 0;
    // The application and its delegate are roots: they outlive full collections.
    for (int i = 0; i < 3; ++i) gc_collect_full();
    ok = ok && gc_is_known_object(app) && gc_is_known_object(gameDelegate);
    std::exit(ok ? 0 : 1);
}

TEST_F(AppDeathTest, StartFrameworkSetsUpTheGlobalsThenCreatesTheApp) {
    EXPECT_EXIT(StartTheFrameworkAndCheck(), ::testing::ExitedWithCode(0), "");
}

}  // namespace

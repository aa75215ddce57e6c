// The desktop host's loop and windows on a real X server. Run goes on a
// clock that moves only when told to (by the test's frames, or by the
// host's sleep, which advances it by the time asked for). The windows:
// placement and title, the close request, keys and the mouse sent through
// XTEST, the icon, re-opening, and pointer positions when magnified.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "host/glfw_game.h"
#include "host/input_device.h"
#include "support/x_session.h"

namespace {

double now = 0;
std::vector<int> sleeps;

double Now() { return now; }

void Sleep(int ms) {
    sleeps.push_back(ms);
    now += ms / 1000.0;
}

using Event = std::pair<int, int>;  // ev, data

// Records key events into a real input device, and the updates before
// each render. A render takes `frame_seconds` of the clock above, and the
// one numbered `last_render` ends the loop. The first update may set a
// new rate.
struct Probe : RtGameDelegate {
    std::vector<Event> keys;
    c_InputDevice* input = nullptr;
    std::vector<int> updates_per_render;
    int updates = 0, updates_seen = 0, rate_on_update = -1, last_render = -1;
    double frame_seconds = 0.010;

    void mark() override { gc_shade(input); }
    void StartGame() override { gc_assign(input, gc_new<c_InputDevice>()); }
    void UpdateGame() override {
        ++updates;
        if (rate_on_update >= 0) CurrentGame()->SetUpdateRate(std::exchange(rate_on_update, -1));
    }
    void RenderGame() override {
        updates_per_render.push_back(updates - updates_seen);
        updates_seen = updates;
        now += frame_seconds;
        if (static_cast<int>(updates_per_render.size()) == last_render)
            glfwSetWindowShouldClose(CurrentGlfwGame()->GetWindow(), GLFW_TRUE);
    }
    void KeyEvent(int ev, int data) override {
        keys.emplace_back(ev, data);
        input->KeyEvent(ev, data);
    }
    void MouseEvent(int ev, int data, float x, float y, float z) override { input->MouseEvent(ev, data, x, y, z); }
};

// A host on the clock above with a probe for its delegate and, once it has
// one, its window's id. It counts its collector steps: one follows each
// call that reaches the delegate. Hosts with windows live as long as the
// process, as the program's does.
struct ProbedHost : RtGlfwGame {
    Probe* probe = gc_new<Probe>();
    int collections = 0;
    std::string window_id;

    ProbedHost() {
        now = 1.0;
        sleeps.clear();
        SetClock({Now, Sleep});
        SetDelegate(probe);
    }
    void CollectGarbage() override {
        ++collections;
        RtGlfwGame::CollectGarbage();
    }
};

// A suspended game renders and takes events but does not update. The
// host marks the delegate itself: no collected object holds it.
TEST(HostGuards, NothingReachesTheDelegateBeforeTheGameStartsNorUpdatesWhileSuspended) {
    ProbedHost host;
    auto call_everything = [&] {
        host.UpdateGame();
        host.RenderGame();
        host.KeyEvent(kEventKeyDown, 65);
        host.MouseEvent(kEventMouseMove, -1, 1, 2, 0);
        host.TouchEvent(kEventTouchDown, 0, 1, 2);
        host.MotionEvent(kEventMotionAccel, 0, 1, 2, 3);
        host.DiscardGraphics();
        host.SuspendGame();
        host.ResumeGame();
    };
    call_everything();
    EXPECT_EQ(host.collections, 0);
    host.StartGame();
    host.StartGame();  // only once
    call_everything();
    EXPECT_EQ(host.collections, 10);

    host.SuspendGame();
    host.SuspendGame();  // already suspended: ignored
    host.UpdateGame();
    host.KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(host.collections, 12);
    host.ResumeGame();
    host.UpdateGame();
    EXPECT_EQ(host.probe->updates, 2);

    for (int i = 0; i < 3; ++i) {
        gc_add_external_bytes(kGcTriggerBytes + 1);  // the step after this call ends a cycle
        host.RenderGame();
    }
    EXPECT_STREQ(gc_check_heap(), "");
    EXPECT_TRUE(gc_is_known_object(host.probe));
}

struct Thrown : ThrowableObject {};
struct ThrowingDelegate : RtGameDelegate {
    void UpdateGame() override { throw gc_new<Thrown>(); }
};

// The runtime's handler reports it (its own tests read the message).
TEST(HostGuardsDeathTest, AThrowableFromTheDelegateEndsTheProcessThroughTheRuntimesHandler) {
    RtGlfwGame host;
    host.SetDelegate(gc_new<ThrowingDelegate>());
    host.StartGame();
    EXPECT_EXIT(host.UpdateGame(), ::testing::ExitedWithCode(255), "");
}

// Run starts the game, then renders first; each pass runs the updates the
// schedule asks for, until the window's close flag is set.
TEST(Loop, UpdatesPerPassFollowTheRateAndTheFrameTime) {
    ASSERT_TRUE(xsession::StartServer() && glfwInit());
    struct Row {
        int rate;
        double frame_seconds;
        int rate_on_update;
        std::vector<int> updates_per_render;
        size_t sleeps;  // each for the rest of a 20 ms period
    } rows[] = {
        {0, 0.05, -1, {0, 1, 1}, 0},                 // one update per render, no waiting
        {50, 0.010, -1, {0, 1, 1, 1, 1, 1}, 5},      // fast frames wait from the second pass on
        {50, 0.101, -1, {0, 1, 4, 1, 4, 1, 4}, 0},   // slow ones: four updates, then the backlog dropped
        {50, 0.3, 25, {0, 1, 1}, 0},                 // a new rate ends the pass and restarts from the clock
    };
    for (const Row& r : rows) {
        ProbedHost* host = new ProbedHost();
        host->SetUpdateRate(r.rate);
        host->probe->frame_seconds = r.frame_seconds;
        host->probe->rate_on_update = r.rate_on_update;
        host->probe->last_render = static_cast<int>(r.updates_per_render.size());
        host->Run();
        glfwHideWindow(host->GetWindow());  // out of the way of the window searches below
        EXPECT_EQ(host->probe->updates_per_render, r.updates_per_render) << r.rate << " Hz, " << r.frame_seconds;
        EXPECT_EQ(sleeps.size(), r.sleeps);
        for (int ms : sleeps) EXPECT_TRUE(ms == 9 || ms == 10) << ms;
    }
}

// Lets GLFW deliver events until `done` holds or `seconds` pass.
bool Pump(const std::function<bool()>& done, double seconds = 5) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        glfwPollEvents();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

bool Xdo(const std::string& args) { return xsession::Run("xdotool " + args) == 0; }

bool Received(ProbedHost* w, Event e) {
    return std::find(w->probe->keys.begin(), w->probe->keys.end(), e) != w->probe->keys.end();
}

// A host of its own with the game's window, named `title` (the default
// title when empty), its game started or not. With `focus`, the window has
// the pointer and the keyboard and no key events are recorded yet.
ProbedHost* Open(const std::string& title, WindowChoice choice = {}, bool start = true, bool focus = false) {
    EXPECT_TRUE(xsession::StartServer() && glfwInit());
    ProbedHost* host = new ProbedHost();
    host->OpenGameWindow(choice);
    if (!title.empty()) host->SetWindowTitle(title.c_str());
    if (start) host->StartGame();
    std::string name = title.empty() ? "^Moonlit Harbor by" : "^" + title + "$";
    host->window_id = xsession::Capture("xdotool search --sync --onlyvisible --name '" + name + "' | head -1");
    EXPECT_FALSE(host->window_id.empty()) << name;
    if (focus) {
        EXPECT_TRUE(Xdo("mousemove --window " + host->window_id + " 100 100 windowfocus --sync " + host->window_id));
        Pump([] { return false; }, 0.1);
        host->probe->keys.clear();
    }
    return host;
}

TEST(Window, IsTheGamesSizeCentredOnTheScreenWithItsTitle) {
    ProbedHost* w = Open("");
    std::string geometry = xsession::Capture("xdotool getwindowgeometry " + w->window_id);
    EXPECT_NE(geometry.find("Position: 192,144"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    EXPECT_EQ(std::make_pair(w->GetDeviceWidth(), w->GetDeviceHeight()), std::make_pair(640, 480));
    EXPECT_EQ(xsession::Capture("xdotool getwindowname " + w->window_id), "Moonlit Harbor by torvin/brinecrew");
}

// The request arrives as key 432 down then up, and the window stays; one
// that comes before the game has begun waits for it.
TEST(Window, ACloseRequestIsAKeyAndWaitsForTheGameToBegin) {
    for (bool started : {true, false}) {
        ProbedHost* w = Open(started ? "Started" : "Starting", {}, started);
        ASSERT_EQ(xsession::SendDeleteWindow(w->window_id), 0);
        ASSERT_TRUE(Pump([&] { return w->closePending || Received(w, {kEventKeyUp, kKeyCloseRequest}); }));
        w->StartGame();
        EXPECT_EQ(w->probe->keys, (std::vector<Event>{{1, 432}, {2, 432}})) << started;
        EXPECT_FALSE(w->CloseRequested());
    }
}

// Keys arrive down, then their character (the typed one, or the code's own
// for editing keys), then up; keys without a code send nothing. Keys held
// while the window is re-opened are released first.
TEST(Window, KeysArriveWithTheFrameworksCodesAndCharacters) {
    ProbedHost* w = Open("Keys", {}, true, true);
    ASSERT_TRUE(Xdo("key --delay 20 a Alt_R Left"));
    ASSERT_TRUE(Pump([&] { return Received(w, {kEventKeyUp, 37}); }));
    EXPECT_EQ(w->probe->keys, (std::vector<Event>{{1, 65}, {3, 'a'}, {2, 65}, {1, 37}, {3, 65573}, {2, 37}}));
    ASSERT_TRUE(Xdo("keydown c"));
    ASSERT_TRUE(Pump([&] { return Received(w, {kEventKeyDown, 67}); }));
    w->probe->keys.clear();
    int generation = CurrentContextGeneration();
    w->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    EXPECT_EQ(w->probe->keys, (std::vector<Event>{{2, 67}}));
    EXPECT_EQ(CurrentContextGeneration(), generation + 1);
    Xdo("keyup c");
}

// The left button (also the first touch) and the right one press keys 1
// and 2 where the pointer is; the wheel sets mouse z until the next move.
TEST(Window, TheMouseReachesTheInputDevice) {
    ProbedHost* w = Open("Mouse", {}, true, true);
    c_InputDevice* in = w->probe->input;
    ASSERT_TRUE(Xdo("mousemove --window " + w->window_id + " 50 60 click 1 click 3 click 5"));
    ASSERT_TRUE(Pump([&] { return in->keyHits[2] == 1 && in->mouseZ == -1; }));
    EXPECT_EQ(in->keyHits[1] + in->keyHits[kFirstTouchKey], 2);
    EXPECT_FALSE(in->keyDown[1] || in->keyDown[kFirstTouchKey]);
    EXPECT_EQ(std::make_pair(in->touchX[0], in->touchY[0]), std::make_pair(50.0f, 60.0f));
    ASSERT_TRUE(Xdo("mousemove_relative 3 0"));
    ASSERT_TRUE(Pump([&] { return in->mouseZ == 0 && in->mouseX == 53; }));
}

// In a window twice the game's size the pointer reaches the game in the
// picture's pixels, and the game's own pointer moves land where it means.
TEST(Window, PointerPositionsInAMagnifiedWindowAreThePicturesPixels) {
    ProbedHost* w = Open("Magnified", WindowChoice{2, false});
    c_InputDevice* in = w->probe->input;
    ASSERT_TRUE(Xdo("mousemove --window " + w->window_id + " 300 200 click 1"));
    ASSERT_TRUE(Pump([&] { return in->keyHits[1] == 1; }));
    EXPECT_EQ(std::make_pair(in->mouseX, in->mouseY), std::make_pair(150.0f, 100.0f));
    w->SetMousePosition(320, 240);
    double x = 0, y = 0;
    glfwGetCursorPos(w->GetWindow(), &x, &y);  // asks the X server
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(640.0, 480.0));
}

TEST(Window, AnyLoadableImageBecomesTheIcon) {
    ProbedHost* w = Open("Icon");
    std::string png = testing::TempDir() + "icon.png";  // three components: widened to RGBA
    ASSERT_EQ(xsession::Run("convert -size 16x16 xc:'rgb(200,100,50)' -define png:color-type=2 " + png), 0);
    w->SetWindowIcon(String(png.c_str()));
    w->SetWindowIcon("/nonexistent/icon.png");  // keeps the icon there is
    Pump([] { return false; }, 0.1);
    std::string icon = xsession::Capture("xprop -id " + w->window_id + " _NET_WM_ICON | head -c 60");
    EXPECT_NE(icon.find("16 x 16"), std::string::npos) << icon;
    std::remove(png.c_str());
}

}  // namespace

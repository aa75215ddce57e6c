// The desktop host's guards, loop and windows on a real X server, on a clock
// that moves only when the test's frames or the host's sleep move it. Keys
// and the mouse come through XTEST; the real program's tests see the rest.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

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

// Records key events into a real input device and the updates before each
// render; renders take `frame_seconds`, the `last_render`th ends the loop.
struct Probe : RtGameDelegate {
    std::vector<Event> keys;
    c_InputDevice* input = nullptr;
    std::vector<int> updates_per_render;
    int updates = 0, updates_seen = 0, rate_on_update = -1, last_render = -1;
    double frame_seconds = 0.010;

    void mark() override { gc_shade(input); }
    void StartGame() override { gc_assign(input, gc_new<c_InputDevice>()); }
    void UpdateGame() override {  // the first may set a new rate
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

// A host on the clock above with a probe; with a window it lives on, as the program's does.
struct ProbedHost : RtGlfwGame {
    Probe* probe = gc_new<Probe>();
    std::string window_id;
    ProbedHost() {
        now = 1.0;
        sleeps.clear();
        SetClock({Now, Sleep});
        SetDelegate(probe);
    }
};

// Hosts live on to the end, as the program's does, and stay reachable (the
// list is never destroyed, so the leak check at exit still sees them).
ProbedHost* NewHost() {
    static auto* hosts = new std::vector<ProbedHost*>();
    return hosts->emplace_back(new ProbedHost());
}

// Nothing reaches the delegate before the game starts; a suspended game
// renders and takes events but does not update.
TEST(HostGuards, TheDelegateHearsOnlyOfAStartedGameAndUpdatesOnlyWhenNotSuspended) {
    ProbedHost host;
    for (bool started : {false, true}) {
        if (started) host.StartGame();
        host.SuspendGame();
        host.SuspendGame();  // already suspended: ignored
        host.UpdateGame();
        host.RenderGame();
        host.KeyEvent(kEventKeyDown, 65);
        host.ResumeGame();
        host.UpdateGame();
        EXPECT_EQ(host.probe->updates, started ? 1 : 0);
        EXPECT_EQ(host.probe->updates_per_render.size() + host.probe->keys.size(), started ? 2u : 0u);
    }
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
        ProbedHost* host = NewHost();
        host->SetUpdateRate(r.rate);
        host->probe->frame_seconds = r.frame_seconds;
        host->probe->rate_on_update = r.rate_on_update;
        host->probe->last_render = static_cast<int>(r.updates_per_render.size());
        host->Run();
        EXPECT_EQ(host->probe->updates_per_render, r.updates_per_render) << r.rate << " Hz, " << r.frame_seconds;
        EXPECT_EQ(sleeps.size(), r.sleeps);
        for (int ms : sleeps) EXPECT_TRUE(ms == 9 || ms == 10) << ms;
    }
}

// Lets GLFW deliver events until `done` holds, for five seconds at most.
bool Pump(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        glfwPollEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

bool Xdo(const std::string& args) { return xsession::Run("xdotool " + args) == 0; }

// A host of its own with the game's window, named `title`, and the game started.
ProbedHost* Open(const std::string& title, WindowChoice choice = {}) {
    EXPECT_TRUE(xsession::StartServer() && glfwInit());
    ProbedHost* host = NewHost();
    host->OpenGameWindow(choice);
    host->SetWindowTitle(title.c_str());
    host->StartGame();
    host->window_id = xsession::Capture("xdotool search --sync --onlyvisible --name '^" + title + "$' | head -1");
    EXPECT_FALSE(host->window_id.empty()) << title;
    return host;
}

// The window is the game's size, centred. Keys arrive down, then their
// character (the typed one, or the code's own for editing keys), then up;
// keys without a code send nothing. Keys held while the window is
// re-opened are released first.
TEST(Window, IsCentredAndKeysArriveWithTheFrameworksCodesAndCharacters) {
    ProbedHost* w = Open("Keys");
    std::string geometry = xsession::Capture("xdotool getwindowgeometry " + w->window_id);
    EXPECT_NE(geometry.find("Position: 192,144"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    ASSERT_TRUE(Xdo("mousemove --window " + w->window_id + " 9 9 windowfocus --sync " + w->window_id));
    ASSERT_TRUE(Xdo("key --delay 20 a equal Alt_R Prior Down Insert Delete BackSpace"));
    std::vector<Event>& keys = w->probe->keys;
    ASSERT_TRUE(Pump([&] { return keys.size() == 21; }));
    EXPECT_EQ(keys, (std::vector<Event>{{1, 65}, {3, 'a'}, {2, 65}, {1, 187}, {3, '='}, {2, 187}, {1, 33},
                                        {3, 65536 + 33}, {2, 33}, {1, 40}, {3, 65536 + 40}, {2, 40}, {1, 45},
                                        {3, 65536 + 45}, {2, 45}, {1, 46}, {3, 127}, {2, 46}, {1, 8}, {3, 8}, {2, 8}}));
    ASSERT_TRUE(Xdo("keydown c"));
    ASSERT_TRUE(Pump([&] { return keys.size() == 23; }));  // down and the character
    keys.clear();
    int generation = CurrentContextGeneration();
    w->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    EXPECT_EQ(keys, (std::vector<Event>{{2, 67}}));
    EXPECT_EQ(CurrentContextGeneration(), generation + 1);
    Xdo("keyup c");
}

// Buttons press keys 1 and 2 (the left one also the first touch) where
// the pointer is, in the picture's pixels also when the window magnifies
// the picture; the wheel sets mouse z until the next move. The game's own
// pointer moves land on the picture's pixel it names.
TEST(Window, TheMouseReachesTheInputDeviceInThePicturesPixels) {
    for (int scale : {1, 2}) {
        ProbedHost* w = Open("Mouse " + std::to_string(scale), WindowChoice{scale, false});
        c_InputDevice* in = w->probe->input;
        ASSERT_TRUE(Xdo("mousemove --window " + w->window_id + " 300 200 click 1 click 3 click 5"));
        ASSERT_TRUE(Pump([&] { return in->keyHits[2] == 1 && in->mouseZ == -1; })) << scale;
        EXPECT_EQ(in->keyHits[1] + in->keyHits[kFirstTouchKey], 2);
        EXPECT_FALSE(in->keyDown[1] || in->keyDown[kFirstTouchKey]);
        EXPECT_EQ(std::make_pair(in->touchX[0], in->touchY[0]), std::make_pair(300.0f / scale, 200.0f / scale));
        ASSERT_TRUE(Xdo("mousemove_relative 4 0"));
        ASSERT_TRUE(Pump([&] { return in->mouseZ == 0 && in->mouseX == 304.0f / scale; })) << scale;
        w->SetMousePosition(320, 240);
        double x = 0, y = 0;
        EXPECT_TRUE(Pump([&] {
            glfwGetCursorPos(w->GetWindow(), &x, &y);  // where the X server has the pointer
            return x == 320 * scale && y == 240 * scale;
        })) << x << "," << y << " at scale " << scale;
    }
}

}  // namespace

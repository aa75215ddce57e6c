// The desktop host's window on a real X server: placement, the close
// request (also one that comes before the game has begun), keys and
// characters sent through XTEST, mouse buttons and the wheel, display modes,
// clipboard and title, and re-opening the window.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "host/glfw_game.h"
#include "host/input_device.h"
#include "support/x_session.h"

namespace {

using Event = std::pair<int, int>;  // ev, data

// Records every key event and keeps a real input device up to date.
struct Recorder : RtGameDelegate {
    std::vector<Event> keys;
    c_InputDevice* input = nullptr;

    void mark() override { gc_shade(input); }
    void StartGame() override { gc_assign(input, gc_new<c_InputDevice>()); }
    void KeyEvent(int ev, int data) override {
        keys.emplace_back(ev, data);
        input->KeyEvent(ev, data);
    }
    void MouseEvent(int ev, int data, float x, float y, float z) override { input->MouseEvent(ev, data, x, y, z); }
};

// GLFW's event delivery, for fixtures with windows of their own.
class Events : public ::testing::Test {
protected:
    // Lets GLFW deliver events until `done` holds or `seconds` pass.
    static bool Pump(const std::function<bool()>& done, double seconds = 5) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            glfwPollEvents();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        glfwPollEvents();
        return done();
    }
};

class Window : public Events {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(xsession::StartServer());
        ASSERT_TRUE(glfwInit());
        host = new RtVantorixGame();
        recorder = gc_new<Recorder>();
        host->SetDelegate(recorder);
        host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
        host->StartGame();
    }
    void SetUp() override {
        window_id = xsession::Capture("xdotool search --sync --onlyvisible --name '^Moonlit Harbor by' | head -1");
        ASSERT_FALSE(window_id.empty());
        Pump([] { return false; }, 0.2);
        recorder->keys.clear();
    }
    bool Received(Event e) {
        for (const Event& k : recorder->keys)
            if (k == e) return true;
        return false;
    }
    // Puts the pointer on the window and gives it the keyboard focus.
    void Focus() {
        ASSERT_EQ(xsession::Run("xdotool mousemove --window " + window_id + " 100 100 windowfocus --sync " + window_id),
                  0);
        Pump([] { return false; }, 0.1);
        recorder->keys.clear();
    }

    static RtVantorixGame* host;
    static Recorder* recorder;
    std::string window_id;
};

RtVantorixGame* Window::host = nullptr;
Recorder* Window::recorder = nullptr;

TEST_F(Window, Is640By480AndCentredOnTheScreen) {
    std::string geometry = xsession::Capture("xdotool getwindowgeometry " + window_id);
    EXPECT_NE(geometry.find("Position: 192,144"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    EXPECT_EQ(host->GetDeviceWidth(), 640);
    EXPECT_EQ(host->GetDeviceHeight(), 480);
    EXPECT_EQ(xsession::Capture("xdotool getwindowname " + window_id), "Moonlit Harbor by torvin/brinecrew");
    EXPECT_EQ(CurrentContextGeneration(), 1);
}

TEST_F(Window, ACloseRequestArrivesAsKey432DownThenUpAndTheWindowStays) {
    ASSERT_EQ(xsession::SendDeleteWindow(window_id), 0);
    ASSERT_TRUE(Pump([&] { return Received({kEventKeyUp, kKeyCloseRequest}); }));
    EXPECT_EQ(recorder->keys, (std::vector<Event>{{1, 432}, {2, 432}}));
    EXPECT_FALSE(host->CloseRequested());
    EXPECT_FALSE(recorder->input->keyDown[432]);
    EXPECT_EQ(recorder->input->keyHits[432], 1);
}

TEST_F(Window, KeysArriveWithTheFrameworksCodesAndCharacters) {
    Focus();
    ASSERT_EQ(xsession::Run("xdotool key --delay 20 a 7 Left BackSpace Delete KP_Add KP_Divide"), 0);
    ASSERT_TRUE(Pump([&] { return Received({kEventKeyUp, 111}); }));
    std::vector<Event> expected = {
        {1, 65}, {3, 'a'}, {2, 65}, {1, 55}, {3, '7'}, {2, 55},  {1, 37},  {3, 65573}, {2, 37},
        {1, 8},  {3, 8},   {2, 8},  {1, 46}, {3, 127}, {2, 46},  {1, 107}, {3, '+'},   {2, 107},
        {1, 111}, {3, '/'}, {2, 111},
    };
    EXPECT_EQ(recorder->keys, expected);
}

TEST_F(Window, BothShiftKeysAreSixteen) {
    for (const char* shift : {"Shift_L", "Shift_R"}) {
        Focus();
        ASSERT_EQ(xsession::Run(std::string("xdotool key ") + shift), 0);
        ASSERT_TRUE(Pump([&] { return Received({kEventKeyUp, 16}); })) << shift;
        for (const Event& e : recorder->keys) EXPECT_EQ(e.second, 16) << shift;
    }
}

TEST_F(Window, KeysWithoutACodeSendNothing) {
    Focus();
    ASSERT_EQ(xsession::Run("xdotool key --delay 20 Alt_R Menu KP_Enter Caps_Lock Caps_Lock b"), 0);
    ASSERT_TRUE(Pump([&] { return Received({kEventKeyUp, 66}); }));
    EXPECT_EQ(recorder->keys, (std::vector<Event>{{1, 66}, {3, 'b'}, {2, 66}}));
}

TEST_F(Window, AClickPressesTheLeftButtonAndTheFirstTouchTogether) {
    Focus();
    c_InputDevice* in = recorder->input;
    ASSERT_EQ(xsession::Run("xdotool mousemove --window " + window_id + " 50 60 mousedown 1"), 0);
    ASSERT_TRUE(Pump([&] { return in->keyDown[1]; }));
    EXPECT_TRUE(in->keyDown[384]);
    EXPECT_EQ(in->keyHits[1], 1);
    EXPECT_EQ(in->keyHits[384], 1);
    EXPECT_FLOAT_EQ(in->mouseX, 50);
    EXPECT_FLOAT_EQ(in->mouseY, 60);
    ASSERT_EQ(xsession::Run("xdotool mouseup 1"), 0);
    ASSERT_TRUE(Pump([&] { return !in->keyDown[1]; }));
    EXPECT_FALSE(in->keyDown[384]);

    ASSERT_EQ(xsession::Run("xdotool click 3"), 0);  // right button: code 2
    ASSERT_TRUE(Pump([&] { return in->keyHits[2] == 1; }));
}

TEST_F(Window, AScrollSetsMouseZUntilTheNextMove) {
    Focus();
    c_InputDevice* in = recorder->input;
    ASSERT_EQ(xsession::Run("xdotool click 5"), 0);  // wheel down
    ASSERT_TRUE(Pump([&] { return in->mouseZ == -1; }));
    ASSERT_EQ(xsession::Run("xdotool mousemove_relative 3 0"), 0);
    ASSERT_TRUE(Pump([&] { return in->mouseZ == 0 && in->mouseX == 103; }));
}

TEST_F(Window, DisplayModesAndTheDesktopModeComeFromTheXServer) {
    std::string dims = xsession::Capture("xdpyinfo | awk '/dimensions:/ {print $2}'");
    RtDisplayMode* desktop = host->GetDesktopMode();
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(std::to_string(desktop->width) + "x" + std::to_string(desktop->height), dims);
    Array<RtDisplayMode*> modes = host->GetDisplayModes();
    bool found = false;
    for (int i = 0; i < modes.Length(); ++i)
        found |= modes[i]->width == desktop->width && modes[i]->height == desktop->height;
    EXPECT_TRUE(found) << modes.Length() << " modes";
}

TEST_F(Window, ClipboardAndTitleRoundTrip) {
    String clip = String::FromLatin1(reinterpret_cast<const unsigned char*>("harbor clip 42"), 14);
    host->SetClipboardText(clip);
    EXPECT_TRUE(host->GetClipboardText() == clip);
    host->SetWindowTitle("Harbor at night");
    Pump([] { return false; }, 0.1);
    EXPECT_EQ(xsession::Capture("xdotool getwindowname " + window_id), "Harbor at night");
    host->SetWindowTitle(kWindowTitle);
}

TEST_F(Window, SetWindowIconTakesAnyImageAndIgnoresMissingOnes) {
    std::string png = "/tmp/moonlit-icon-" + std::to_string(getpid()) + ".png";
    ASSERT_EQ(xsession::Run("convert -size 16x16 xc:'rgb(200,100,50)' -define png:color-type=2 " + png), 0);
    host->SetWindowIcon(String(png.c_str()));  // three components: widened to RGBA
    host->SetWindowIcon("/nonexistent/icon.png");
    Pump([] { return false; }, 0.1);
    std::string prop = xsession::Capture("xprop -id " + window_id + " _NET_WM_ICON | head -c 60");
    EXPECT_NE(prop.find("16 x 16"), std::string::npos) << prop;
    std::remove(png.c_str());
}

TEST_F(Window, ReopeningReleasesHeldKeysFirst) {
    Focus();
    ASSERT_EQ(xsession::Run("xdotool keydown c"), 0);
    ASSERT_TRUE(Pump([&] { return recorder->input->keyDown[67]; }));
    recorder->keys.clear();
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    EXPECT_EQ(recorder->keys, (std::vector<Event>{{2, 67}}));
    EXPECT_FALSE(recorder->input->keyDown[67]);
    EXPECT_EQ(CurrentContextGeneration(), 2);
    xsession::Run("xdotool keyup c");
}

// A host whose game has not begun yet, as while the program starts.
class WindowBeforeTheGame : public Events {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(xsession::StartServer());
        ASSERT_TRUE(glfwInit());
    }
};

TEST_F(WindowBeforeTheGame, ACloseRequestIsKeptUntilTheGameBegins) {
    RtVantorixGame* host = new RtVantorixGame();
    Recorder* recorder = gc_new<Recorder>();
    host->SetDelegate(recorder);
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    std::string id = xsession::Capture("xdotool search --sync --onlyvisible --name '^Moonlit Harbor by' | head -1");
    ASSERT_FALSE(id.empty());
    xsession::SendDeleteWindow(id);
    ASSERT_TRUE(Pump([&] { return host->closePending; }));
    EXPECT_TRUE(recorder->keys.empty());
    host->StartGame();
    EXPECT_EQ(recorder->keys, (std::vector<Event>{{1, 432}, {2, 432}}));
    EXPECT_FALSE(host->closePending);
    EXPECT_FALSE(host->CloseRequested());
}

// In a window twice the game's size the pointer reaches the game in the
// picture's pixels, and the game's own pointer moves land where it means.
TEST_F(WindowBeforeTheGame, PointerPositionsInAMagnifiedWindowAreThePicturesPixels) {
    RtVantorixGame* host = new RtVantorixGame();
    Recorder* recorder = gc_new<Recorder>();
    host->SetDelegate(recorder);
    host->OpenGameWindow(WindowChoice{2, false});
    host->StartGame();
    host->SetWindowTitle("Magnified");
    std::string id = xsession::Capture("xdotool search --sync --onlyvisible --name '^Magnified$' | head -1");
    ASSERT_FALSE(id.empty());
    c_InputDevice* in = recorder->input;
    ASSERT_EQ(xsession::Run("xdotool mousemove --window " + id + " 300 200 click 1"), 0);
    ASSERT_TRUE(Pump([&] { return in->keyHits[1] == 1; }));
    EXPECT_FLOAT_EQ(in->mouseX, 150);
    EXPECT_FLOAT_EQ(in->mouseY, 100);

    host->SetMousePosition(320, 240);
    Pump([] { return false; }, 0.1);
    std::string at = xsession::Capture("xdotool getmouselocation --shell | head -2 | tr '\\n' ' '");
    std::string window =
        xsession::Capture("xdotool getwindowgeometry --shell " + id + " | sed -n 2,3p | tr '\\n' ' '");
    int px = 0, py = 0, wx = 0, wy = 0;
    ASSERT_EQ(std::sscanf(at.c_str(), "X=%d Y=%d", &px, &py), 2) << at;
    ASSERT_EQ(std::sscanf(window.c_str(), "X=%d Y=%d", &wx, &wy), 2) << window;
    EXPECT_EQ(px - wx, 640);
    EXPECT_EQ(py - wy, 480);
}

}  // namespace

// The input device's state across updates, its queue limits, the
// mouse/touch mirror, the key translation and the joysticks with fake
// GLFW data behind the host's joystick seam.
#include "host/input_device.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include "host/glfw_game.h"

namespace {

TEST(InputDevice, AHeldKeyIsHitOnceAndStaysDownAcrossUpdates) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->KeyEvent(kEventKeyDown, 65);
    in->KeyEvent(kEventKeyDown, 65);  // a repeat: no second hit
    EXPECT_TRUE(in->keyDown[65]);
    EXPECT_EQ(in->keyHits[65], 1);
    EXPECT_EQ(in->hitCount, 1);
    in->ClearHits();
    in->KeyEvent(kEventKeyDown, 65);
    EXPECT_TRUE(in->keyDown[65]);
    EXPECT_EQ(in->keyHits[65], 0);
    in->KeyEvent(kEventKeyUp, 65);
    EXPECT_FALSE(in->keyDown[65]);
    in->KeyEvent(kEventKeyDown, 65);
    in->KeyEvent(kEventKeyUp, 65);
    in->KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(in->keyHits[65], 2);  // two presses within one update
}

TEST(InputDevice, HitsBeyondTheQueueStillPressButAreNotCounted) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    for (int key = 100; key < 140; ++key) in->KeyEvent(kEventKeyDown, key);
    EXPECT_EQ(in->hitCount, 33);
    EXPECT_EQ(in->keyHits[132], 1);
    EXPECT_EQ(in->keyHits[133], 0);
    EXPECT_TRUE(in->keyDown[139]);
    in->ClearHits();
    for (int key = 100; key < 140; ++key) EXPECT_EQ(in->keyHits[key], 0) << key;
    EXPECT_EQ(in->hitCount, 0);
}

TEST(InputDevice, CharactersBeyondThirtyTwoAreDropped) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    for (int c = 0; c < 40; ++c) in->KeyEvent(kEventKeyChar, 'a' + c);
    EXPECT_EQ(in->charPut, 32);
    EXPECT_EQ(in->charQueue[31], 'a' + 31);
    in->ClearHits();
    EXPECT_EQ(in->charPut, 0);
    EXPECT_EQ(in->charGet, 0);
}

TEST(InputDevice, LeftButtonAndFirstTouchMirrorEachOther) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->MouseEvent(kEventMouseDown, 0, 10, 20, 0);
    EXPECT_TRUE(in->keyDown[1]);
    EXPECT_TRUE(in->keyDown[384]);
    EXPECT_EQ(in->keyHits[1], 1);
    EXPECT_EQ(in->keyHits[384], 1);
    EXPECT_EQ(in->touchX[0], 10);
    EXPECT_EQ(in->touchY[0], 20);
    in->MouseEvent(kEventMouseUp, 0, 10, 20, 0);
    EXPECT_FALSE(in->keyDown[1]);
    EXPECT_FALSE(in->keyDown[384]);

    in->TouchEvent(kEventTouchDown, 0, 5, 6);
    EXPECT_TRUE(in->keyDown[1]);
    EXPECT_EQ(in->mouseX, 5);
    in->TouchEvent(kEventTouchUp, 0, 5, 6);
    EXPECT_FALSE(in->keyDown[1]);
    in->TouchEvent(kEventTouchMove, 3, 7, 8);
    EXPECT_EQ(in->touchX[3], 7);
    EXPECT_FALSE(in->keyDown[387]);
    EXPECT_EQ(in->mouseX, 5);  // only touch 0 moves the mouse
}

TEST(InputDevice, ScrollHoldsMouseZUntilTheNextMove) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->MouseEvent(kEventMouseMove, -1, 4, 5, -1);
    EXPECT_EQ(in->mouseZ, -1);
    in->MouseEvent(kEventMouseMove, -1, 6, 5, 0);
    EXPECT_EQ(in->mouseZ, 0);
    EXPECT_EQ(in->mouseX, 6);
    in->MotionEvent(kEventMotionAccel, 0, 1, 2, 3);
    EXPECT_EQ(in->accelZ, 3);
}

TEST(InputDevice, OutOfRangeCodesAreIgnored) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->KeyEvent(kEventKeyDown, 512);
    in->KeyEvent(kEventKeyDown, -3);
    in->MouseEvent(kEventMouseDown, 600, 1, 1, 0);
    in->TouchEvent(kEventTouchDown, 40, 1, 1);
    EXPECT_EQ(in->hitCount, 0);
    EXPECT_STREQ(gc_check_heap(), "");
}

TEST(KeyTranslation, FollowsTheFrameworksCodes) {
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_A), 65);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_7), 55);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_LEFT_SHIFT), 16);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_RIGHT_SHIFT), 16);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_RIGHT_CONTROL), 17);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_F12), 123);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_KP_9), 105);
    EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_GRAVE_ACCENT), 192);
    for (int none : {GLFW_KEY_RIGHT_ALT, GLFW_KEY_MENU, GLFW_KEY_KP_ENTER, GLFW_KEY_CAPS_LOCK, GLFW_KEY_F13,
                     GLFW_KEY_LEFT_ALT, GLFW_KEY_WORLD_1, GLFW_KEY_UNKNOWN, 0, 31, 400})
        EXPECT_EQ(TranslateGlfwKey(none), 0) << none;
    EXPECT_EQ(KeyCharacter(8), 8);
    EXPECT_EQ(KeyCharacter(37), 65573);
    EXPECT_EQ(KeyCharacter(45), 65536 + 45);
    EXPECT_EQ(KeyCharacter(46), 127);
    EXPECT_EQ(KeyCharacter(65), 0);
}

// Fake joysticks: ids 2 and 5 present, with the data below.
struct FakeJoysticks {
    static bool present[16];
    static float axes[2][8];
    static unsigned char buttons[2][16];
    static int axis_count[2], button_count[2];

    static int Slot(int id) { return id == 2 ? 0 : 1; }
    static int Present(int id) { return present[id]; }
    static const float* Axes(int id, int* count) { return *count = axis_count[Slot(id)], axes[Slot(id)]; }
    static const unsigned char* Buttons(int id, int* count) {
        return *count = button_count[Slot(id)], buttons[Slot(id)];
    }
};
bool FakeJoysticks::present[16];
float FakeJoysticks::axes[2][8];
unsigned char FakeJoysticks::buttons[2][16];
int FakeJoysticks::axis_count[2], FakeJoysticks::button_count[2];

class Joysticks : public ::testing::Test {
protected:
    void SetUp() override {
        FakeJoysticks::present[2] = FakeJoysticks::present[5] = true;
        host.SetJoystickSource({FakeJoysticks::Present, FakeJoysticks::Axes, FakeJoysticks::Buttons});
        for (int i = 0; i < 8; ++i) FakeJoysticks::axes[0][i] = FakeJoysticks::axes[1][i] = 0.1f * (i + 1);
        for (auto& pad : FakeJoysticks::buttons)
            for (auto& b : pad) b = GLFW_RELEASE;
    }
    void TearDown() override { FakeJoysticks::present[2] = FakeJoysticks::present[5] = FakeJoysticks::present[7] = false; }
    void Configure(int pad, int axes, int buttons) {
        FakeJoysticks::axis_count[pad] = axes;
        FakeJoysticks::button_count[pad] = buttons;
    }

    RtGlfwGame host;
    Array<float> x{2}, y{2}, z{2};
    Array<bool> b{32};
};

TEST_F(Joysticks, FiveAxesAndFourteenButtonsUseLayoutA) {
    Configure(0, 5, 14);
    FakeJoysticks::buttons[0][13] = GLFW_PRESS;  // framework button 8
    FakeJoysticks::buttons[0][8] = GLFW_PRESS;   // framework button 12
    b.Set(30, true);
    ASSERT_TRUE(host.PollJoystick(0, x, y, z, b));
    EXPECT_FLOAT_EQ(x[0], 0.1f);
    EXPECT_FLOAT_EQ(y[0], -0.2f);
    EXPECT_FLOAT_EQ(z[0], 0.3f);
    EXPECT_FLOAT_EQ(x[1], 0.5f);
    EXPECT_FLOAT_EQ(y[1], -0.4f);
    EXPECT_FLOAT_EQ(z[1], -0.3f);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(b[i], i == 8 || i == 12) << i;
}

TEST_F(Joysticks, OtherShapesUseLayoutBAndShortJoysticksReadZero) {
    Configure(0, 5, 12);
    FakeJoysticks::buttons[0][6] = GLFW_PRESS;   // stick 0 z
    FakeJoysticks::buttons[0][1] = GLFW_PRESS;   // framework button 0
    FakeJoysticks::buttons[0][15] = GLFW_PRESS;  // beyond the 12 buttons: not seen
    ASSERT_TRUE(host.PollJoystick(0, x, y, z, b));
    EXPECT_FLOAT_EQ(x[0], 0.1f);
    EXPECT_FLOAT_EQ(y[0], 0.2f);
    EXPECT_FLOAT_EQ(z[0], 1.0f);
    EXPECT_FLOAT_EQ(x[1], 0.3f);
    EXPECT_FLOAT_EQ(y[1], -0.4f);
    EXPECT_FLOAT_EQ(z[1], 0.0f);
    EXPECT_TRUE(b[0]);
    EXPECT_FALSE(b[8]);

    Configure(1, 2, 4);
    ASSERT_TRUE(host.PollJoystick(1, x, y, z, b));
    EXPECT_FLOAT_EQ(x[1], 0.0f);  // axis 2 does not exist
    EXPECT_FALSE(host.PollJoystick(2, x, y, z, b));
    EXPECT_FALSE(host.PollJoystick(-1, x, y, z, b));
}

TEST_F(Joysticks, ALateJoystickIsSeenOnlyAfterARecount) {
    Configure(0, 5, 14);
    Configure(1, 5, 14);
    EXPECT_EQ(host.CountJoysticks(false), 2);
    FakeJoysticks::present[7] = true;
    EXPECT_EQ(host.CountJoysticks(false), 2);
    EXPECT_EQ(host.CountJoysticks(true), 3);
    EXPECT_EQ(host.joystickSlots[0], 2);
    EXPECT_EQ(host.joystickSlots[2], 7);
}

TEST_F(Joysticks, PollingPressesJoystickKeysOncePerPress) {
    Configure(0, 5, 14);
    Configure(1, 5, 14);
    FakeJoysticks::buttons[1][2] = GLFW_PRESS;  // port 1, button 2
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->PollJoysticks();
    int key = 256 + 32 + 2;
    EXPECT_TRUE(in->keyDown[key]);
    EXPECT_EQ(in->keyHits[key], 1);
    EXPECT_FLOAT_EQ(in->joyStates[1]->joyY[0], -0.2f);
    in->PollJoysticks();
    EXPECT_EQ(in->keyHits[key], 1);  // still held
    FakeJoysticks::buttons[1][2] = GLFW_RELEASE;
    in->PollJoysticks();
    EXPECT_FALSE(in->keyDown[key]);
    EXPECT_FALSE(in->keyDown[256]);
}

}  // namespace

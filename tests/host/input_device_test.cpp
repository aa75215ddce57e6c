// The input device's key state across updates and its queue limits, the
// GLFW key table, and joysticks fed through the host's joystick seam.
#include "host/input_device.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <algorithm>
#include <vector>

#include "host/glfw_game.h"

namespace {

TEST(InputDevice, KeysAreHitOncePerPressAndTheQueuesHaveLimits) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->KeyEvent(kEventKeyDown, 65);
    in->KeyEvent(kEventKeyDown, 65);  // a repeat: no second hit
    in->KeyEvent(kEventKeyUp, 65);
    in->KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(in->keyHits[65], 2);  // two presses within one update
    in->ClearHits();
    EXPECT_EQ(in->keyHits[65], 0);
    EXPECT_TRUE(in->keyDown[65]);

    // Past the queues keys are still pressed but not counted, characters
    // are dropped, and codes past the key arrays are ignored.
    for (int i = 0; i < 40; ++i) {
        in->KeyEvent(kEventKeyDown, 100 + i);
        in->KeyEvent(kEventKeyChar, 'a' + i);
    }
    in->KeyEvent(kEventKeyDown, kKeyCount);
    in->KeyEvent(kEventKeyDown, -3);
    in->MouseEvent(kEventMouseDown, 600, 1, 1, 0);
    EXPECT_EQ(std::make_pair(in->keyHits[132], in->keyHits[133]), std::make_pair(1, 0));
    EXPECT_TRUE(in->keyDown[139]);
    EXPECT_EQ(std::make_pair(in->charPut, in->charQueue[31]), std::make_pair(32, 'a' + 31));
    in->ClearHits();
    EXPECT_EQ(in->hitCount + in->charPut + in->keyHits[132], 0);
    EXPECT_STREQ(gc_check_heap(), "");
}

// The mouse pressing the first touch is seen through a real window.
TEST(InputDevice, TheFirstTouchIsAlsoTheMouse) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->TouchEvent(kEventTouchDown, 0, 5, 6);
    in->TouchEvent(kEventTouchMove, 3, 7, 8);  // presses nothing; only touch 0 moves the mouse
    in->TouchEvent(kEventTouchDown, kTouchCount, 1, 1);  // past the touches: ignored
    EXPECT_EQ(std::make_pair(in->keyHits[kMouseLeftKey], in->hitCount), std::make_pair(1, 2));
    EXPECT_EQ(std::make_pair(in->mouseX, in->touchX[3]), std::make_pair(5.0f, 7.0f));
    in->TouchEvent(kEventTouchUp, 0, 5, 6);
    EXPECT_FALSE(in->keyDown[kMouseLeftKey]);
}

// GLFW keys to the framework's codes, and the character each code sends.
TEST(KeyTranslation, FollowsTheFrameworksCodes) {
    struct Row {
        int glfw_key, code, character;
    } rows[] = {
        {GLFW_KEY_7, 55, 0},           {GLFW_KEY_Z, 90, 0},          {GLFW_KEY_SPACE, 32, 0},
        {GLFW_KEY_RIGHT_SHIFT, 16, 0}, {GLFW_KEY_F12, 123, 0},       {GLFW_KEY_KP_9, 105, 0},
        {GLFW_KEY_EQUAL, 187, 0},      {GLFW_KEY_GRAVE_ACCENT, 192, 0}, {GLFW_KEY_ESCAPE, 27, 27},
        {GLFW_KEY_DELETE, 46, 127},    {GLFW_KEY_PAGE_UP, 33, 65536 + 33}, {GLFW_KEY_INSERT, 45, 65536 + 45},
        // Keys without a code.
        {GLFW_KEY_RIGHT_ALT, 0, 0},    {GLFW_KEY_KP_ENTER, 0, 0},    {GLFW_KEY_F13, 0, 0},
        {GLFW_KEY_WORLD_1, 0, 0},      {31, 0, 0},                   {GLFW_KEY_LAST + 1, 0, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(TranslateGlfwKey(r.glfw_key), r.code) << r.glfw_key;
        EXPECT_EQ(KeyCharacter(r.code), r.character) << r.code;
    }
}

// Fake joysticks by GLFW id: axes read 0.1, 0.2, ...; buttons as listed.
struct FakePad {
    bool present;
    int axis_count, button_count;
    float axes[8];
    unsigned char buttons[16];
};
FakePad pads[GLFW_JOYSTICK_LAST + 1];

void Plug(int id, int axes, int buttons, const std::vector<int>& pressed = {}) {
    pads[id] = {true, axes, buttons, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}, {}};
    for (int b : pressed) pads[id].buttons[b] = GLFW_PRESS;
}

class Joysticks : public ::testing::Test {
protected:
    void SetUp() override {
        std::fill(std::begin(pads), std::end(pads), FakePad{});
        host.SetJoystickSource({[](int id) -> int { return pads[id].present; },
                                [](int id, int* n) -> const float* { return *n = pads[id].axis_count, pads[id].axes; },
                                [](int id, int* n) -> const unsigned char* {
                                    return *n = pads[id].button_count, pads[id].buttons;
                                }});
    }
    RtGlfwGame host;
};

// Five axes and fourteen buttons are read by layout A, other shapes by
// layout B; axes and buttons past the joystick's own count read as none.
TEST_F(Joysticks, EachShapeIsReadThroughItsLayout) {
    struct Row {
        int axes, buttons;
        std::vector<int> pressed;   // GLFW's buttons
        std::vector<float> sticks;  // x, y, z of stick 0, then of stick 1
        std::vector<int> framework_buttons;
    } rows[] = {
        {5, 14, {13, 8}, {0.1f, -0.2f, 0.3f, 0.5f, -0.4f, -0.3f}, {8, 12}},
        {5, 12, {6, 1, 2, 15}, {0.1f, 0.2f, 1, 0.3f, -0.4f, 0}, {0, 1}},  // 6 is stick 0's z
        {2, 4, {0}, {0.1f, 0.2f, 0, 0, 0, 0}, {2}},
    };
    Array<float> x(2), y(2), z(2);
    Array<bool> b(32);
    for (const Row& r : rows) {
        Plug(2, r.axes, r.buttons, r.pressed);
        b.Set(30, true);  // every button is written
        ASSERT_TRUE(host.PollJoystick(0, x, y, z, b));
        EXPECT_EQ(std::vector<float>({x[0], y[0], z[0], x[1], y[1], z[1]}), r.sticks) << r.axes << " axes";
        std::vector<int> pressed;
        for (int i = 0; i < 32; ++i)
            if (b[i]) pressed.push_back(i);
        EXPECT_EQ(pressed, r.framework_buttons) << r.axes << " axes";
    }
    EXPECT_FALSE(host.PollJoystick(1, x, y, z, b));
}

// At most four joysticks, in the order of their ids; one plugged in later
// is seen after a recount. Polling presses a port's button keys once.
TEST_F(Joysticks, FourAreCountedAndPolledIntoKeys) {
    for (int id : {2, 5, GLFW_JOYSTICK_LAST}) Plug(id, 5, 14);
    EXPECT_EQ(host.CountJoysticks(false), 3);
    Plug(9, 5, 14, {2});
    Plug(0, 5, 14);
    EXPECT_EQ(host.CountJoysticks(false), 3);
    EXPECT_EQ(host.CountJoysticks(true), 4);
    EXPECT_EQ(host.joystickSlots[3], 9);

    c_InputDevice* in = gc_new<c_InputDevice>();
    const int key = kFirstJoystickKey + 3 * kJoystickButtons + 2;  // port 3, button 2
    for (bool held : {true, true, false}) {
        pads[9].buttons[2] = held ? GLFW_PRESS : GLFW_RELEASE;
        in->PollJoysticks();
        EXPECT_EQ(in->keyDown[key], held);
        EXPECT_EQ(in->keyHits[key], 1);
    }
    EXPECT_FLOAT_EQ(in->joyStates[3]->joyY[0], -0.2f);
}

}  // namespace

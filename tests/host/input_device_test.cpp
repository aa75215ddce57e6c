// The input device's key state, queue limits and first touch, and joysticks
// fed through the host's seam. (Keys and the mouse: through a real window.)
#include "host/input_device.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <tuple>
#include <vector>

#include "host/glfw_game.h"

namespace {

TEST(InputDevice, KeysAreHitOncePerPressWithinTheQueuesAndTheFirstTouchIsTheLeftButton) {
    c_InputDevice* in = gc_new<c_InputDevice>();
    in->KeyEvent(kEventKeyDown, 65);
    in->KeyEvent(kEventKeyDown, 65);  // a repeat: no second hit
    in->KeyEvent(kEventKeyUp, 65);
    in->KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(in->keyHits[65], 2);  // two presses within one update
    in->ClearHits();
    EXPECT_EQ(std::make_pair(in->keyHits[65], in->keyDown[65]), std::make_pair(0, true));
    in->KeyEvent(kEventKeyDown, kKeyCount);  // codes past the key arrays: ignored
    in->KeyEvent(kEventKeyDown, -3);
    in->MouseEvent(kEventMouseDown, kKeyCount, 1, 1, 0);
    EXPECT_EQ(in->hitCount, 0);

    // Past the queues keys are pressed but not hit, and characters dropped.
    for (int i = 0; i < 40; ++i) {
        in->KeyEvent(kEventKeyDown, 100 + i);
        in->KeyEvent(kEventKeyChar, 'a' + i);
    }
    EXPECT_EQ(std::make_tuple(in->keyHits[132], in->keyHits[133], in->keyDown[139]), std::make_tuple(1, 0, true));
    EXPECT_EQ(std::make_pair(in->charPut, in->charQueue[31]), std::make_pair(32, 'a' + 31));
    in->ClearHits();
    EXPECT_EQ(in->hitCount + in->charPut + in->keyHits[132], 0);
    EXPECT_STREQ(gc_check_heap(), "");
    in->TouchEvent(kEventTouchDown, 0, 5, 6);  // the first touch is also the left button
    EXPECT_EQ(std::make_pair(in->keyHits[kMouseLeftKey], in->mouseX), std::make_pair(1, 5.0f));
    in->TouchEvent(kEventTouchUp, 0, 5, 6);
    EXPECT_FALSE(in->keyDown[kMouseLeftKey]);
}

// Fake joysticks by GLFW id: axes read 0.1, 0.2, ...; buttons as listed.
struct FakePad {
    bool present;
    int axis_count, button_count;
    float axes[8];
    unsigned char buttons[16];
};
FakePad pads[GLFW_JOYSTICK_LAST + 1];

int Present(int id) { return pads[id].present; }
const float* Axes(int id, int* n) { return *n = pads[id].axis_count, pads[id].axes; }
const unsigned char* Buttons(int id, int* n) { return *n = pads[id].button_count, pads[id].buttons; }

void Plug(int id, int axes, int buttons, const std::vector<int>& pressed = {}) {
    pads[id] = {true, axes, buttons, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}, {}};
    for (int b : pressed) pads[id].buttons[b] = GLFW_PRESS;
}

// Five axes and fourteen buttons are read by layout A, other shapes by
// layout B; axes and buttons past the joystick's own count read as none. At
// most four joysticks, the first by their ids; one plugged in later is seen
// after a recount. Polling presses a port's button keys once.
TEST(Joysticks, EachShapeIsReadThroughItsLayoutAndFourArePolledIntoKeys) {
    RtGlfwGame host;
    host.SetJoystickSource({Present, Axes, Buttons});
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

    EXPECT_EQ(host.CountJoysticks(false), 1);
    for (int id : {0, 5, 9, GLFW_JOYSTICK_LAST}) Plug(id, 5, 14);
    EXPECT_EQ(host.CountJoysticks(false), 1);
    EXPECT_EQ(host.CountJoysticks(true), 4);

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

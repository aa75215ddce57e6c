// GLFW input on the desktop host: the key translation table, the key,
// character, mouse-button, cursor and scroll callbacks, the cursor
// operations and the joysticks with their two button layouts. Pointer
// positions are the game's pixels also when its picture is magnified.
#include <GLFW/glfw3.h>

#include "host/glfw_game.h"
#include "host/picture_placement.h"

namespace {

// Framework codes of GLFW keys 32..345, indexed by key - 32; 0 means none.
// Letters and digits keep their code and are handled before the table.
struct KeyTable {
    unsigned char codes[314] = {};

    void Set(int key, int code) { codes[key - 32] = static_cast<unsigned char>(code); }

    KeyTable() {
        const int pairs[][2] = {
            {GLFW_KEY_SPACE, 32},         {GLFW_KEY_APOSTROPHE, 222},   {GLFW_KEY_COMMA, 188},
            {GLFW_KEY_MINUS, 189},        {GLFW_KEY_PERIOD, 190},       {GLFW_KEY_SLASH, 191},
            {GLFW_KEY_SEMICOLON, 186},    {GLFW_KEY_EQUAL, 187},        {GLFW_KEY_LEFT_BRACKET, 219},
            {GLFW_KEY_BACKSLASH, 220},    {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
            {GLFW_KEY_ESCAPE, 27},        {GLFW_KEY_ENTER, 13},         {GLFW_KEY_TAB, 9},
            {GLFW_KEY_BACKSPACE, 8},      {GLFW_KEY_INSERT, 45},        {GLFW_KEY_DELETE, 46},
            {GLFW_KEY_RIGHT, 39},         {GLFW_KEY_LEFT, 37},          {GLFW_KEY_DOWN, 40},
            {GLFW_KEY_UP, 38},            {GLFW_KEY_PAGE_UP, 33},       {GLFW_KEY_PAGE_DOWN, 34},
            {GLFW_KEY_HOME, 36},          {GLFW_KEY_END, 35},           {GLFW_KEY_KP_DECIMAL, 110},
            {GLFW_KEY_KP_DIVIDE, 111},    {GLFW_KEY_KP_MULTIPLY, 106},  {GLFW_KEY_KP_SUBTRACT, 109},
            {GLFW_KEY_KP_ADD, 107},       {GLFW_KEY_LEFT_SHIFT, 16},    {GLFW_KEY_LEFT_CONTROL, 17},
            {GLFW_KEY_RIGHT_SHIFT, 16},   {GLFW_KEY_RIGHT_CONTROL, 17},
        };
        for (const auto& pair : pairs) Set(pair[0], pair[1]);
        for (int i = 0; i < 12; ++i) Set(GLFW_KEY_F1 + i, 112 + i);
        for (int i = 0; i < 10; ++i) Set(GLFW_KEY_KP_0 + i, 96 + i);
    }
};

const KeyTable& Keys() {
    static const KeyTable table;
    return table;
}

// Pointer positions reach the game in its own pixels: in a window the
// picture is magnified into, a window position is taken back through the
// picture's placement (picture = window * scale + offset).
struct PointerMapping {
    double scale_x = 1, scale_y = 1, offset_x = 0, offset_y = 0;
};

PointerMapping PictureMapping(const RtGlfwGame& game) {
    PointerMapping m;
    if (game.pictureWidth == 0 || game.windowWidth <= 0 || game.windowHeight <= 0) return m;
    PicturePlacement p =
        PlacePicture(game.pictureWidth, game.pictureHeight, game.framebufferWidth, game.framebufferHeight);
    if (p.factor <= 0) return m;
    // Placements count from the framebuffer's lower left, pointers from the
    // window's upper left, and a framebuffer may have more pixels than its
    // window.
    double top = game.framebufferHeight - (p.y + p.height);
    m.scale_x = double(game.framebufferWidth) / game.windowWidth / p.factor;
    m.scale_y = double(game.framebufferHeight) / game.windowHeight / p.factor;
    m.offset_x = -p.x / p.factor;
    m.offset_y = -top / p.factor;
    return m;
}

void PicturePosition(double window_x, double window_y, float* x, float* y) {
    PointerMapping m = PictureMapping(*CurrentGlfwGame());
    *x = static_cast<float>(window_x * m.scale_x + m.offset_x);
    *y = static_cast<float>(window_y * m.scale_y + m.offset_y);
}

void CursorPosition(GLFWwindow* window, float* x, float* y) {
    double cx = 0, cy = 0;
    glfwGetCursorPos(window, &cx, &cy);
    PicturePosition(cx, cy, x, y);
}

void OnKey(GLFWwindow*, int key, int, int action, int) {
    int code = TranslateGlfwKey(key);
    if (!code) return;
    RtGlfwGame* game = CurrentGlfwGame();
    if (action == GLFW_RELEASE) {
        game->KeyEvent(kEventKeyUp, code);
    } else if (action == GLFW_PRESS || action == GLFW_REPEAT) {
        game->KeyEvent(kEventKeyDown, code);
        if (int character = KeyCharacter(code)) game->KeyEvent(kEventKeyChar, character);
    }
}

void OnChar(GLFWwindow*, unsigned int codepoint) {
    CurrentGlfwGame()->KeyEvent(kEventKeyChar, static_cast<int>(codepoint));
}

void OnMouseButton(GLFWwindow* window, int button, int action, int) {
    if (button < 0 || button > 2) return;
    float x, y;
    CursorPosition(window, &x, &y);
    if (action == GLFW_PRESS)
        CurrentGlfwGame()->MouseEvent(kEventMouseDown, button, x, y, 0);
    else if (action == GLFW_RELEASE)
        CurrentGlfwGame()->MouseEvent(kEventMouseUp, button, x, y, 0);
}

void OnCursor(GLFWwindow*, double window_x, double window_y) {
    float x, y;
    PicturePosition(window_x, window_y, &x, &y);
    CurrentGlfwGame()->MouseEvent(kEventMouseMove, -1, x, y, 0);
}

void OnScroll(GLFWwindow* window, double, double y_offset) {
    float x, y;
    CursorPosition(window, &x, &y);
    CurrentGlfwGame()->MouseEvent(kEventMouseMove, -1, x, y, static_cast<float>(y_offset));
}

// GLFW buttons behind the framework's buttons 0..13, per layout.
const int kLayoutAButtons[14] = {0, 1, 2, 3, 4, 5, 6, 7, 13, 10, 11, 12, 8, 9};
const int kLayoutBButtons[14] = {1, 2, 0, 3, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11};

// Indices at or past the joystick's own count read as released or 0.
struct JoystickReading {
    const float* axes;
    int axis_count;
    const unsigned char* buttons;
    int button_count;

    float Axis(int i) const { return i < axis_count ? axes[i] : 0.0f; }
    bool Pressed(int i) const { return i < button_count && buttons[i] == GLFW_PRESS; }
    float PressedValue(int i) const { return Pressed(i) ? 1.0f : 0.0f; }
};

}  // namespace

int TranslateGlfwKey(int key) {
    if ((key >= GLFW_KEY_0 && key <= GLFW_KEY_9) || (key >= GLFW_KEY_A && key <= GLFW_KEY_Z)) return key;
    if (key < 32 || key > 345) return 0;
    return Keys().codes[key - 32];
}

int KeyCharacter(int key_code) {
    switch (key_code) {
        case 8: case 9: case 13: case 27: return key_code;
        case 46: return 127;
        default: break;
    }
    if ((key_code >= 33 && key_code <= 40) || key_code == 45) return 65536 + key_code;
    return 0;
}

void RegisterInputCallbacks(GLFWwindow* window) {
    glfwSetKeyCallback(window, OnKey);
    glfwSetCharCallback(window, OnChar);
    glfwSetMouseButtonCallback(window, OnMouseButton);
    glfwSetScrollCallback(window, OnScroll);
    glfwSetCursorPosCallback(window, OnCursor);
}

void RtGlfwGame::SetMouseVisible(bool visible) {
    if (window) glfwSetInputMode(window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

void RtGlfwGame::SetMousePosition(double x, double y) {
    if (!window) return;
    PointerMapping m = PictureMapping(*this);
    glfwSetCursorPos(window, (x - m.offset_x) / m.scale_x, (y - m.offset_y) / m.scale_y);
}

int RtGlfwGame::CountJoysticks(bool update) {
    if (!update && joysticksEnumerated) return joystickCount;
    joysticksEnumerated = true;
    joystickCount = 0;
    for (int id = GLFW_JOYSTICK_1; id <= GLFW_JOYSTICK_LAST && joystickCount < 4; ++id)
        if (joysticks.present(id)) joystickSlots[joystickCount++] = id;
    return joystickCount;
}

bool RtGlfwGame::PollJoystick(int port, Array<float> x, Array<float> y, Array<float> z, Array<bool> buttons) {
    if (!joysticksEnumerated) CountJoysticks(false);
    if (port < 0 || port >= joystickCount) return false;
    JoystickReading j{};
    j.axes = joysticks.axes(joystickSlots[port], &j.axis_count);
    j.buttons = joysticks.buttons(joystickSlots[port], &j.button_count);
    if (!j.axes || !j.buttons) return false;
    bool layout_a = j.axis_count == 5 && j.button_count == 14;
    if (layout_a) {
        x.Set(0, j.Axis(0)), y.Set(0, -j.Axis(1)), z.Set(0, j.Axis(2));
        x.Set(1, j.Axis(4)), y.Set(1, -j.Axis(3)), z.Set(1, -j.Axis(2));
    } else {
        x.Set(0, j.Axis(0)), y.Set(0, j.Axis(1)), z.Set(0, j.PressedValue(6));
        x.Set(1, j.Axis(2)), y.Set(1, -j.Axis(3)), z.Set(1, j.PressedValue(7));
    }
    const int* map = layout_a ? kLayoutAButtons : kLayoutBButtons;
    for (int i = 0; i < 32; ++i) buttons.Set(i, false);
    for (int i = 0; i < 14; ++i) buttons.Set(i, j.Pressed(map[i]));
    return true;
}

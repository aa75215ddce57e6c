// The desktop host on GLFW: the one window and its OpenGL context, the game
// loop, the GLFW callbacks, the desktop services (paths, clipboard, title,
// icon, display modes) and the joysticks. RtVantorixGame is the concrete
// class the entry point creates.
//
// Time and joystick input reach the host through two small tables of
// function pointers (HostClock, JoystickSource) so that tests can run the
// loop on a clock they control and feed joystick data of their own; the
// defaults are GLFW's timer with the platform's sleep, and GLFW's joysticks.
#pragma once

#include "host/rt_game.h"

struct GLFWwindow;

struct HostClock {
    double (*now)();                // seconds, monotonic
    void (*sleep_millis)(int ms);  // blocks the main thread
};

struct JoystickSource {
    int (*present)(int id);
    const float* (*axes)(int id, int* count);
    const unsigned char* (*buttons)(int id, int* count);
};

// OpenWindow's flag bits.
enum RtWindowFlag {
    kWindowFullscreen = 1,
    kWindowResizable = 2,
    kWindowDecorated = 4,
    kWindowFloating = 8,
    kWindowDepthBuffer = 16,
    kWindowSingleBuffered = 32,
    kWindowSecondMonitor = 64,
    kWindowStencilBuffer = 128,
};

// The game window at scale 1: decorated, not resizable, double-buffered.
constexpr int kGameWindowWidth = 640;
constexpr int kGameWindowHeight = 480;
constexpr int kGameWindowFlags = kWindowDecorated;
extern const char* const kWindowTitle;

// How the game window is shown, as the command line chose: a window `scale`
// times the game's size, or the whole screen at the desktop's resolution.
// Either way the game draws in its own size (640 x 480) and the picture is
// magnified into the window (graphics/frame_magnifier.h).
struct WindowChoice {
    int scale = 1;
    bool fullscreen = false;
};

// At most this many updates run per pass of the loop.
constexpr int kMaxUpdatesPerPass = 4;

class RtGlfwGame : public RtGame {
public:
    RtGlfwGame();
    ~RtGlfwGame() override;

    void SetUpdateRate(int hertz) override;
    int ElapsedMillis() override;
    int CountJoysticks(bool update) override;
    bool PollJoystick(int port, Array<float> x, Array<float> y, Array<float> z, Array<bool> buttons) override;
    void OpenUrl(const String& url) override;
    void SetMouseVisible(bool visible) override;
    void SetMousePosition(double x, double y) override;
    void SetClipboardText(const String& text) override;
    String GetClipboardText() override;
    int GetDeviceWidth() override;
    int GetDeviceHeight() override;
    void OpenWindow(int width, int height, int flags) override;
    void SetWindowIcon(const String& path) override;
    void SetWindowPosition(int x, int y) override;
    void SetWindowSize(int width, int height) override;
    void SetWindowSizeLimits(int min_width, int min_height, int max_width, int max_height) override;
    void SetWindowTitle(const String& title) override;
    Array<RtDisplayMode*> GetDisplayModes() override;
    RtDisplayMode* GetDesktopMode() override;
    void SetSwapInterval(int interval) override;
    String ResolvePath(const String& path) override;
    unsigned char* LoadImageData(const String& path, int* width, int* height, int* components) override;
    unsigned char* LoadAudioData(const String& path, int* length, int* channels, int* bytes_per_sample,
                                 int* rate) override;

    // Opens the window, starts the game and runs passes: on the desktop
    // until the window's close flag is seen; in a browser one pass per
    // animation frame, and Run does not return.
    void Run();
    // Opens the game's window as `choice` says (by default 640 x 480).
    void OpenGameWindow(const WindowChoice& choice);
    // StartGame, then the close request that arrived while the game was
    // starting, if one did: it ends the game as soon as it has begun.
    void StartGame() override;

    // The steps of one pass, for Run and for tests that drive the loop.
    // Sleeps until nextUpdate (if one is scheduled and still ahead).
    void WaitForUpdate();
    // Runs 1 to 4 updates by the schedule; drops the backlog after 4.
    void RunUpdates();
    // Whether the schedule has an update due by the clock: the wait of a
    // loop that cannot sleep (it renders again instead).
    bool UpdateDue();
    // Render, swap, wait, events, focus; repeats while suspended. False when
    // the close flag ended a suspended stretch.
    bool RenderAndPoll();
    bool CloseRequested();

    GLFWwindow* GetWindow() { return window; }
    void SetClock(const HostClock& clock) { this->clock = clock; }
    const HostClock& GetClock() const { return clock; }
    void SetJoystickSource(const JoystickSource& source) { joysticks = source; }

    struct VideoMode {
        int width, height, redBits, greenBits, blueBits, refreshRate;
    };

    VideoMode desktopVideoMode = {};
    GLFWwindow* window = nullptr;
    int width = 0;
    int height = 0;
    // The window's client and framebuffer sizes as GLFW last reported them:
    // read at creation and kept by the size callbacks, so that a frame need
    // not ask the window system (a round trip to the X server) for them.
    int windowWidth = 0, windowHeight = 0;
    int framebufferWidth = 0, framebufferHeight = 0;
    // The size the game draws in when the window is larger and the picture
    // is magnified into it; 0 when the game draws straight into the window.
    // While it is set, the device size (width, height) stays this size.
    int pictureWidth = 0, pictureHeight = 0;
    // A close request came while the game had not begun.
    bool closePending = false;
    WindowChoice windowChoice;
    int swapInterval = 1;
    double updatePeriod = 0;
    double nextUpdate = 0;
    String appDir;
    String internalDir;
    int joystickSlots[4] = {};
    int joystickCount = 0;
    bool joysticksEnumerated = false;

private:
    void ReleaseHeldKeys();
    void MakeWindow(int width, int height, int flags);
    void RegisterCallbacks();
    void ComputeAppDir();

    HostClock clock;
    JoystickSource joysticks;
};

class RtVantorixGame : public RtGlfwGame {
public:
    ~RtVantorixGame() override;
};

// The one desktop host (null before it is created).
RtGlfwGame* CurrentGlfwGame();

// The framework key code of a GLFW key, 0 for keys without one.
int TranslateGlfwKey(int key);
// The character a key code types by itself (backspace, arrows...), or 0.
int KeyCharacter(int key_code);

// Decodes a sound file that OpenFile has opened, choosing the decoder by the
// name's ending. The audio layer installs it; without one, LoadAudioData
// gives null. The returned block is released with std::free.
using AudioDecoder = unsigned char* (*)(std::FILE* file, const String& name, int* length, int* channels,
                                        int* bytes_per_sample, int* rate);
void SetAudioDecoder(AudioDecoder decoder);

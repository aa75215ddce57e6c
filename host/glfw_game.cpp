// RtGlfwGame's window and the steps of its game loop: construction (the
// desktop's video mode), OpenWindow with its hints, placement and callbacks,
// the close and size callbacks, and the update schedule. Run, which puts
// the steps together, is the platform's: desktop_loop.cpp, web_loop.cpp.
#include "host/glfw_game.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "host/platform.h"

const char* const kWindowTitle = "Moonlit Harbor by torvin/brinecrew";

namespace {

RtGlfwGame* current_glfw_game = nullptr;

double GlfwNow() { return glfwGetTime(); }

const HostClock kGlfwClock = {GlfwNow, PlatformSleepMillis};

const JoystickSource kGlfwJoysticks = {glfwJoystickPresent, glfwGetJoystickAxes, glfwGetJoystickButtons};

void SendCloseRequest(RtGlfwGame* game) {
    game->KeyEvent(kEventKeyDown, kKeyCloseRequest);
    game->KeyEvent(kEventKeyUp, kKeyCloseRequest);
}

// A request before the game has begun would reach no delegate (the host's
// event operations do nothing until then) and be lost: the user would have
// to ask again. It is kept for StartGame instead.
void OnWindowClose(GLFWwindow* window) {
    glfwSetWindowShouldClose(window, GLFW_FALSE);
    RtGlfwGame* game = CurrentGlfwGame();
    if (!game->IsStarted()) {
        game->closePending = true;
        return;
    }
    SendCloseRequest(game);
}

void OnWindowSize(GLFWwindow*, int width, int height) {
    RtGlfwGame* game = CurrentGlfwGame();
    if (game->pictureWidth == 0) {
        game->width = width;
        game->height = height;
    }
    game->windowWidth = width;
    game->windowHeight = height;
}

void OnFramebufferSize(GLFWwindow*, int width, int height) {
    RtGlfwGame* game = CurrentGlfwGame();
    game->framebufferWidth = width;
    game->framebufferHeight = height;
}

}  // namespace

// Defined with the input callbacks.
void RegisterInputCallbacks(GLFWwindow* window);

RtGlfwGame* CurrentGlfwGame() { return current_glfw_game; }

RtGlfwGame::RtGlfwGame() : clock(kGlfwClock), joysticks(kGlfwJoysticks) {
    current_glfw_game = this;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (mode)
        desktopVideoMode = {mode->width, mode->height, mode->redBits, mode->greenBits, mode->blueBits,
                            mode->refreshRate};
}

RtGlfwGame::~RtGlfwGame() {
    if (current_glfw_game == this) current_glfw_game = nullptr;
}

RtVantorixGame::~RtVantorixGame() {}

void RtGlfwGame::SetUpdateRate(int hertz) {
    RtGame::SetUpdateRate(hertz);
    if (hertz != 0) updatePeriod = 1.0 / hertz;
    nextUpdate = 0;
}

int RtGlfwGame::ElapsedMillis() { return static_cast<int>(clock.now() * 1000.0); }

int RtGlfwGame::GetDeviceWidth() { return width; }
int RtGlfwGame::GetDeviceHeight() { return height; }

void RtGlfwGame::SetWindowPosition(int x, int y) {
    if (window) glfwSetWindowPos(window, x, y);
}

void RtGlfwGame::SetWindowSize(int w, int h) {
    if (window) glfwSetWindowSize(window, w, h);
}

void RtGlfwGame::SetWindowSizeLimits(int min_width, int min_height, int max_width, int max_height) {
    if (window) glfwSetWindowSizeLimits(window, min_width, min_height, max_width, max_height);
}

void RtGlfwGame::SetSwapInterval(int interval) {
    swapInterval = interval;
    if (interval >= 0 && window) glfwSwapInterval(interval);
}

// The application sees every held key released before its window goes.
void RtGlfwGame::ReleaseHeldKeys() {
    for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
        int code = TranslateGlfwKey(key);
        if (code && glfwGetKey(window, key) == GLFW_PRESS) KeyEvent(kEventKeyUp, code);
    }
}

void RtGlfwGame::MakeWindow(int w, int h, int flags) {
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 8);
    glfwWindowHint(GLFW_DEPTH_BITS, (flags & kWindowDepthBuffer) ? 32 : 0);
    glfwWindowHint(GLFW_STENCIL_BITS, (flags & kWindowStencilBuffer) ? 8 : 0);
    glfwWindowHint(GLFW_RESIZABLE, (flags & kWindowResizable) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_DECORATED, (flags & kWindowDecorated) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_FLOATING, (flags & kWindowFloating) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, (flags & kWindowFullscreen) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, (flags & kWindowSingleBuffered) ? GLFW_FALSE : GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, 0);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);

    if (flags & kWindowFullscreen) {
        int count = 0;
        GLFWmonitor** monitors = glfwGetMonitors(&count);
        int wanted = (flags & kWindowSecondMonitor) ? 1 : 0;
        GLFWmonitor* monitor = nullptr;
        if (count > 0) monitor = monitors[count > wanted ? wanted : count - 1];
        window = glfwCreateWindow(w, h, kWindowTitle, monitor, nullptr);
    } else {
        window = glfwCreateWindow(w, h, kWindowTitle, nullptr, nullptr);
        if (window) {
            // Created hidden, placed, then shown: it never flashes elsewhere.
            glfwSetWindowPos(window, (desktopVideoMode.width - w) / 2, (desktopVideoMode.height - h) / 2);
            glfwShowWindow(window);
        }
    }
    if (!window) {
        std::fputs("glfwCreateWindow FAILED!\n", stdout);
        std::fflush(stdout);
        std::abort();
    }
}

void RtGlfwGame::OpenWindow(int w, int h, int flags) {
    if (window) {
        ReleaseHeldKeys();
        glfwDestroyWindow(window);
        window = nullptr;
    }
    MakeWindow(w, h, flags);
    AdvanceContextGeneration();
    width = w;
    height = h;
    pictureWidth = pictureHeight = 0;
    glfwMakeContextCurrent(window);
    if (swapInterval >= 0) glfwSwapInterval(swapInterval);
    RegisterCallbacks();
}

void RtGlfwGame::RegisterCallbacks() {
    RegisterInputCallbacks(window);
    glfwSetWindowCloseCallback(window, OnWindowClose);
    glfwSetWindowSizeCallback(window, OnWindowSize);
    glfwSetFramebufferSizeCallback(window, OnFramebufferSize);
    glfwGetWindowSize(window, &windowWidth, &windowHeight);
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
}

bool RtGlfwGame::CloseRequested() { return window && glfwWindowShouldClose(window); }

void RtGlfwGame::WaitForUpdate() {
    if (nextUpdate == 0) return;
    double d = nextUpdate - clock.now();
    if (d > 0) clock.sleep_millis(static_cast<int>(d * 1000.0));
}

bool RtGlfwGame::UpdateDue() { return updateRate == 0 || nextUpdate == 0 || nextUpdate <= clock.now(); }

void RtGlfwGame::RunUpdates() {
    if (updateRate == 0) {
        UpdateGame();
        return;
    }
    if (nextUpdate == 0) nextUpdate = clock.now();
    for (int i = 0; i < kMaxUpdatesPerPass; ++i) {
        UpdateGame();
        if (nextUpdate == 0) return;  // the update changed the rate
        nextUpdate += updatePeriod;
        if (nextUpdate > clock.now()) return;
    }
    nextUpdate = 0;  // still behind after the last update: drop the backlog
}

bool RtGlfwGame::RenderAndPoll() {
    for (;;) {
        RenderGame();
        glfwSwapBuffers(window);
        WaitForUpdate();
        if (suspended)
            glfwWaitEvents();
        else
            glfwPollEvents();
        if (glfwGetWindowAttrib(window, GLFW_FOCUSED) && suspended) {
            ResumeGame();
            nextUpdate = 0;
        }
        if (!suspended) return true;
        if (CloseRequested()) return false;
    }
}

void RtGlfwGame::OpenGameWindow(const WindowChoice& choice) {
    // Without a desktop mode there is no screen size to fill: a window then.
    bool fullscreen = choice.fullscreen && desktopVideoMode.width > 0 && desktopVideoMode.height > 0;
    if (fullscreen)
        OpenWindow(desktopVideoMode.width, desktopVideoMode.height, kWindowFullscreen);
    else
        OpenWindow(kGameWindowWidth * choice.scale, kGameWindowHeight * choice.scale, kGameWindowFlags);
    if (!fullscreen && choice.scale == 1) return;
    pictureWidth = width = kGameWindowWidth;
    pictureHeight = height = kGameWindowHeight;
    // The show takes no pointer input; on the whole screen the cursor would
    // only sit in the middle of the picture.
    if (fullscreen) SetMouseVisible(false);
}

void RtGlfwGame::StartGame() {
    RtGame::StartGame();
    if (!closePending) return;
    closePending = false;
    SendCloseRequest(this);
}

// The platform-neutral host: the delegate interface through which the host
// drives the framework, the display-mode record it hands out, and RtGame,
// whose table of virtual operations every host service goes through. RtGame
// gives each operation a default (mostly nothing, or 0); the desktop host
// RtGlfwGame (host/glfw_game.h) overrides those that need a window, a clock,
// input devices or the file system.
//
// Exactly one host object exists; CurrentGame() returns it. The host is a
// plain object: the collector neither owns nor scans it, and the delegate is
// kept alive by the collector step the host runs after every delegate call.
#pragma once

#include <cstdio>

#include "runtime/array.h"
#include "runtime/error.h"
#include "runtime/gc.h"
#include "runtime/string.h"

// Event codes of the ev argument of the event operations.
enum RtEventCode {
    kEventKeyDown = 1,
    kEventKeyUp = 2,
    kEventKeyChar = 3,
    kEventMouseDown = 4,
    kEventMouseUp = 5,
    kEventMouseMove = 6,
    kEventTouchDown = 7,
    kEventTouchUp = 8,
    kEventTouchMove = 9,
    kEventMotionAccel = 10,
};

// Key codes the host itself sends.
constexpr int kKeyBackRequest = 416;
constexpr int kKeyCloseRequest = 432;

// What the host calls. The framework's c_GameDelegate implements it; the
// defaults do nothing so that test delegates override only what they watch.
struct RtGameDelegate : Object {
    virtual void StartGame() {}
    virtual void SuspendGame() {}
    virtual void ResumeGame() {}
    virtual void UpdateGame() {}
    virtual void RenderGame() {}
    virtual void KeyEvent(int ev, int data) { (void)ev, (void)data; }
    virtual void MouseEvent(int ev, int data, float x, float y, float z) {
        (void)ev, (void)data, (void)x, (void)y, (void)z;
    }
    virtual void TouchEvent(int ev, int data, float x, float y) { (void)ev, (void)data, (void)x, (void)y; }
    virtual void MotionEvent(int ev, int data, float x, float y, float z) {
        (void)ev, (void)data, (void)x, (void)y, (void)z;
    }
    virtual void DiscardGraphics() {}
};

// A display mode as the host reports it; the last three fields stay 0 on the
// desktop and nothing reads them.
struct RtDisplayMode : Object {
    int width;
    int height;
    int depth = 0;
    int format = 0;
    int hertz = 0;

    RtDisplayMode(int w, int h) : width(w), height(h) {}
};

class RtGame {
public:
    RtGame();
    virtual ~RtGame();

    virtual void SetDelegate(RtGameDelegate* delegate);
    virtual RtGameDelegate* GetDelegate();
    virtual void SetKeyboardEnabled(bool enabled);
    virtual bool IsKeyboardEnabled();
    virtual void SetUpdateRate(int hertz);
    virtual int GetUpdateRate();
    virtual bool IsStarted();
    virtual bool IsSuspended();
    virtual int ElapsedMillis();
    // Fills year, month, day, hour, minute, second, 0 while the index is
    // below the array's length.
    virtual void GetLocalDate(Array<int> date);
    // 0 written, -1 cannot open, -2 incomplete write (the old state is kept).
    virtual int SaveState(const String& state);
    virtual String LoadState();
    virtual String LoadTextFile(const String& path);
    virtual int CountJoysticks(bool update);
    virtual bool PollJoystick(int port, Array<float> x, Array<float> y, Array<float> z, Array<bool> buttons);
    virtual void OpenUrl(const String& url);
    virtual void SetMouseVisible(bool visible);
    virtual void SetMousePosition(double x, double y);
    virtual void SetClipboardText(const String& text);
    virtual String GetClipboardText();
    virtual int GetDeviceWidth();
    virtual int GetDeviceHeight();
    virtual void OpenWindow(int width, int height, int flags);
    virtual void SetWindowIcon(const String& path);
    virtual void SetWindowPosition(int x, int y);
    virtual void SetWindowSize(int width, int height);
    virtual void SetWindowSizeLimits(int min_width, int min_height, int max_width, int max_height);
    virtual void SetWindowTitle(const String& title);
    virtual Array<RtDisplayMode*> GetDisplayModes();
    virtual RtDisplayMode* GetDesktopMode();
    virtual void SetSwapInterval(int interval);
    // "vantorix://data/", "internal/" and "external/" paths to file names;
    // other paths unchanged; "" for an unknown "vantorix:" form.
    virtual String ResolvePath(const String& path);
    virtual std::FILE* OpenFile(const String& path, const String& mode);
    // The loaders return plain heap memory: release it with std::free.
    virtual unsigned char* LoadBytes(const String& path, int* length);
    virtual unsigned char* LoadImageData(const String& path, int* width, int* height, int* components);
    virtual unsigned char* LoadAudioData(const String& path, int* length, int* channels, int* bytes_per_sample,
                                         int* rate);
    [[noreturn]] virtual void HandleUncaught(ThrowableObject* thrown);
    virtual void CollectGarbage();

    // The calls into the delegate, each behind its guard, inside a handler
    // for ThrowableObject and followed by a collector step.
    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int ev, int data);
    virtual void MouseEvent(int ev, int data, float x, float y, float z);
    virtual void TouchEvent(int ev, int data, float x, float y);
    virtual void MotionEvent(int ev, int data, float x, float y, float z);
    virtual void DiscardGraphics();

    RtGameDelegate* delegate = nullptr;
    bool keyboardEnabled = false;
    int updateRate = 0;
    bool started = false;
    bool suspended = false;

private:
    template <class Call>
    void CallDelegate(Call call);
};

// The one host object (null before it is created).
RtGame* CurrentGame();

// Counts the windows the host has created: 0 before the first. A texture
// made in one generation is stale in any other.
int CurrentContextGeneration();
void AdvanceContextGeneration();

// The name of the state file, relative to the current directory.
extern const char* const kStateFileName;

// CaptureGame: the virtual clock behind the host's clock seam, the capture
// pass, and the read-back of each frame.
#include "capture/capture_game.h"

#include <GLFW/glfw3.h>

#include <cstring>

#include "capture/frame_sinks.h"
#include "graphics/gl_functions.h"

namespace {

constexpr double kFrameSkew = 1e-9;

// The host's clock seam takes plain functions, so the clock's state lives
// here; there is one capture host per process.
struct VirtualClock {
    int64_t frames = 0;
    int fps = 60;
};
VirtualClock virtual_clock;

double VirtualNow() { return CaptureFrameTime(virtual_clock.frames, virtual_clock.fps); }
// Time does not pass while the loop waits: the next frame comes instead.
void VirtualSleep(int) {}

int64_t RoundedSamples(int64_t frames, int fps, int rate) {
    return (2 * frames * rate + fps) / (2 * static_cast<int64_t>(fps));
}

}  // namespace

double CaptureFrameTime(int64_t frames, int fps) {
    return static_cast<double>(frames) / fps + static_cast<double>(frames) * kFrameSkew;
}

int64_t CaptureSoundPosition(int64_t frames, const CaptureRange& range, int rate) {
    if (frames <= range.start_frame) return RoundedSamples(frames, range.fps, rate);
    return RoundedSamples(range.start_frame, range.fps, rate) +
           RoundedSamples(frames - range.start_frame, range.fps, rate);
}

CaptureGame::CaptureGame(const CaptureRange& range) : range(range) {
    virtual_clock = {0, range.fps};
    SetClock({VirtualNow, VirtualSleep});
    swapInterval = 0;  // never wait for a display's retrace
}

CaptureGame::~CaptureGame() {
    if (window) glfwDestroyWindow(window);
}

bool CaptureGame::Capture() {
    OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    StartGame();
    int end = range.start_frame + range.frame_count;
    while (presented < end && !failed && !stop_requested && !CloseRequested()) {
        if (!RenderAndPoll() || failed || stop_requested) break;
        if (UpdateDue()) RunUpdates();
    }
    return presented == end && !failed;
}

void CaptureGame::RenderGame() {
    RtGlfwGame::RenderGame();
    if (started) Present();
}

void CaptureGame::Present() {
    int frame = presented;
    bool keep = frame >= range.start_frame;
    if (keep && video) {
        ReadBack();
        if (!video->WriteFrame(frame, pixels.data(), framebufferWidth, framebufferHeight)) failed = true;
    }
    if (sound) {
        int rate = sound->SampleRate();
        int64_t n = CaptureSoundPosition(frame + 1, range, rate) - CaptureSoundPosition(frame, range, rate);
        if (!sound->TakeSound(static_cast<int>(n), keep)) failed = true;
    }
    presented = frame + 1;
    virtual_clock.frames = presented;
    if (progress) progress(presented);
}

// The back buffer, before the swap, with GL's bottom-up rows turned over;
// its size is the framebuffer size the host keeps.
void CaptureGame::ReadBack() {
    size_t stride = static_cast<size_t>(framebufferWidth) * 3;
    pixels.resize(stride * framebufferHeight);
    row.resize(stride);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, framebufferWidth, framebufferHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (int top = 0, bottom = framebufferHeight - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = pixels.data() + top * stride;
        uint8_t* b = pixels.data() + bottom * stride;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
}

void CaptureGame::KeyEvent(int ev, int data) {
    if (data == kKeyCloseRequest) {
        stop_requested = true;
        return;
    }
    RtGlfwGame::KeyEvent(ev, data);
}

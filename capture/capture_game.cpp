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
VirtualClock virtualClock;

double VirtualNow() { return CaptureFrameTime(virtualClock.frames, virtualClock.fps); }
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
    if (frames <= range.startFrame) return RoundedSamples(frames, range.fps, rate);
    return RoundedSamples(range.startFrame, range.fps, rate) +
           RoundedSamples(frames - range.startFrame, range.fps, rate);
}

CaptureGame::CaptureGame(const CaptureRange& range) : range_(range) {
    virtualClock = {0, range.fps};
    SetClock({VirtualNow, VirtualSleep});
    swapInterval = 0;  // never wait for a display's retrace
}

CaptureGame::~CaptureGame() {
    if (window) glfwDestroyWindow(window);
}

bool CaptureGame::Capture() {
    OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    StartGame();
    int end = range_.startFrame + range_.frameCount;
    while (presented_ < end && !failed_ && !stopRequested_ && !CloseRequested()) {
        if (!RenderAndPoll() || failed_ || stopRequested_) break;
        if (UpdateDue()) RunUpdates();
    }
    return presented_ == end && !failed_;
}

void CaptureGame::RenderGame() {
    RtGlfwGame::RenderGame();
    if (started) Present();
}

void CaptureGame::Present() {
    int frame = presented_;
    bool keep = frame >= range_.startFrame;
    if (keep && video_) {
        ReadBack();
        if (!video_->WriteFrame(frame, pixels_.data(), framebufferWidth, framebufferHeight)) failed_ = true;
    }
    if (sound_) {
        int rate = sound_->SampleRate();
        int64_t n = CaptureSoundPosition(frame + 1, range_, rate) - CaptureSoundPosition(frame, range_, rate);
        if (!sound_->TakeSound(static_cast<int>(n), keep)) failed_ = true;
    }
    presented_ = frame + 1;
    virtualClock.frames = presented_;
    if (progress_) progress_(presented_);
}

// The back buffer, before the swap, with GL's bottom-up rows turned over;
// its size is the framebuffer size the host keeps.
void CaptureGame::ReadBack() {
    size_t stride = static_cast<size_t>(framebufferWidth) * 3;
    pixels_.resize(stride * framebufferHeight);
    row_.resize(stride);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, framebufferWidth, framebufferHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
    for (int top = 0, bottom = framebufferHeight - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = pixels_.data() + top * stride;
        uint8_t* b = pixels_.data() + bottom * stride;
        std::memcpy(row_.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row_.data(), stride);
    }
}

void CaptureGame::KeyEvent(int ev, int data) {
    if (data == kKeyCloseRequest) {
        stopRequested_ = true;
        return;
    }
    RtGlfwGame::KeyEvent(ev, data);
}

// The capture host: the desktop host on a virtual clock. Each pass of the
// game loop is one video frame. The frame is drawn with the clock at its
// time, read back from the back buffer before the swap and handed to a
// frame sink; the sound of that frame is taken; the clock then moves on by
// exactly one frame, and the loop's own schedule runs the updates that have
// fallen due by then: at 60 frames and 50 updates a second, 0, 1 or 2 a
// pass. Nothing waits for real time.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "host/glfw_game.h"

class FrameSink;

// Which frames are taken: frames [startFrame, startFrame + frameCount) of
// the show at `fps`.
struct CaptureRange {
    int fps = 60;
    int start_frame = 0;
    int frame_count = 0;
};

// Receives the sound frame by frame.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual int SampleRate() const = 0;
    // The next `sample_frames` sample frames of the show's sound; `keep` is
    // false for frames before the range, whose sound is mixed and dropped.
    virtual bool TakeSound(int sample_frames, bool keep) = 0;
};

// The clock's reading after `frames` frames. Each frame adds 1/fps and one
// nanosecond: an update that falls due exactly on a frame (at 50 fps, every
// update) then runs on that frame, whatever the rounding of the loop's
// running sum of update periods.
double CaptureFrameTime(int64_t frames, int fps);

// The sound position, in sample frames from the start of the show, at the
// end of frame `frames` (that many frames presented). Inside the range it
// counts from the range's start, so the kept sound holds exactly
// round(kept frames × rate / fps) sample frames.
int64_t CaptureSoundPosition(int64_t frames, const CaptureRange& range, int rate);

class CaptureGame : public RtGlfwGame {
public:
    explicit CaptureGame(const CaptureRange& range);
    ~CaptureGame() override;

    void SetFrameSink(FrameSink* sink) { video = sink; }
    void SetSoundSink(SoundSink* sink) { sound = sink; }
    // Called after every presented frame with the count of frames presented
    // (those before the range included: they take their time too).
    void SetProgress(std::function<void(int presented)> callback) { progress = std::move(callback); }

    // Opens the window, starts the game and runs passes until the range is
    // taken, a sink fails or the window is closed. True when every frame
    // and its sound were written.
    bool Capture();

    // The frame, then its read-back, its sound and the clock's step.
    void RenderGame() override;
    // A close request stops the capture (what was taken is kept) instead of
    // ending the process.
    void KeyEvent(int ev, int data) override;

    int FramesPresented() const { return presented; }
    bool SinkFailed() const { return failed; }
    bool CloseRequestedByUser() const { return stop_requested; }

private:
    void ReadBack();
    void Present();

    CaptureRange range;
    FrameSink* video = nullptr;
    SoundSink* sound = nullptr;
    std::function<void(int)> progress;
    int presented = 0;
    bool failed = false;
    bool stop_requested = false;
    std::vector<uint8_t> pixels;  // reused from frame to frame
    std::vector<uint8_t> row;
};

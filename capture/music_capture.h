// The music as the capture hears it: a libmikmod output driver of our own
// that plays nowhere, so that the library's software mixer runs only when
// the capture asks it for samples. The player moves on with the samples
// mixed, so the music follows the virtual clock exactly, however long a
// frame takes to draw; MikMod_Update (which the show calls every update)
// does nothing with this driver.
#pragma once

#include <cstdint>
#include <vector>

// Puts the capture driver first in libmikmod's list, so that the default
// driver choice of MikMod_Init("") takes it. Call before the music layer
// initialises the library.
void InstallCaptureDriver();

// True when libmikmod is initialised on the capture driver.
bool CaptureDriverActive();

#include <string>

#include "capture/capture_game.h"
#include "capture/wave_writer.h"

// The capture's sound sink: mixes each frame's samples and appends the
// kept ones to a WAVE file, opened at the first kept frame with the mixer's
// rate and channels.
class MusicRecorder : public SoundSink {
public:
    explicit MusicRecorder(std::string wave_path) : path(std::move(wave_path)) {}
    int SampleRate() const override;
    bool TakeSound(int sample_frames, bool keep) override;
    // Completes the WAVE file.
    bool Finish();

    int64_t SampleFrames() const { return wave.SampleFrames(); }
    // Why the last call failed.
    const std::string& Error() const { return error; }

private:
    std::string path;
    WaveWriter wave;
    std::vector<int16_t> samples;
    bool checked = false;
    bool open = false;
    std::string error;
};

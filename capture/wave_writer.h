// Writes a RIFF WAVE file of 16-bit PCM. The sizes in the header are
// written when the file is closed, so the sound can be appended frame by
// frame without knowing its length in advance.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class WaveWriter {
public:
    WaveWriter() = default;
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;
    ~WaveWriter();

    bool Open(const std::string& path, int sample_rate, int channel_count);
    // `sample_frames` frames of interleaved samples.
    bool Write(const int16_t* samples, size_t sample_frames);
    // Fills in the sizes and closes; false if anything failed on the way.
    bool Close();

    int64_t SampleFrames() const { return frames; }

private:
    bool WriteHeader();

    std::FILE* file = nullptr;
    int rate = 0;
    int channels = 0;
    int64_t frames = 0;
    bool ok = true;
};

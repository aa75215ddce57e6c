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

    bool Open(const std::string& path, int rate, int channels);
    // `sampleFrames` frames of interleaved samples.
    bool Write(const int16_t* samples, size_t sampleFrames);
    // Fills in the sizes and closes; false if anything failed on the way.
    bool Close();

    int64_t SampleFrames() const { return frames_; }

private:
    bool WriteHeader();

    std::FILE* file_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    bool ok_ = true;
};

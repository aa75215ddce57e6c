// Reads back 16-bit PCM WAVE files that programs under test wrote (the
// capture tool, outside players), walking the chunks: a file streamed to a
// pipe may not know its length, so `sizes_exact` says whether the RIFF and
// data sizes it gives agree with the file.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_folder.h"

struct Wave {
    int rate = 0, channels = 0, format = 0;  // format 1: integer PCM
    bool sizes_exact = false;
    std::vector<int16_t> samples;  // interleaved, read as 16-bit
    int64_t Frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
    double Rms() const {
        double sum = 0;
        for (int16_t v : samples) sum += double(v) * v;
        return samples.empty() ? 0 : std::sqrt(sum / samples.size());
    }
};

inline uint32_t LittleEndian(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// An empty Wave (rate 0) when the file is no RIFF WAVE or has no data.
inline Wave ReadWave(const std::string& path) {
    const std::string b = ReadFileBytes(path);
    Wave wave;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return wave;
    for (size_t at = 12; at + 8 <= b.size();) {
        const size_t body = at + 8, size = LittleEndian(b, at + 4, 4);
        if (b.compare(at, 4, "fmt ") == 0 && body + 16 <= b.size()) {
            wave.format = int(LittleEndian(b, body, 2));
            wave.channels = int(LittleEndian(b, body + 2, 2));
            wave.rate = int(LittleEndian(b, body + 4, 4));
        } else if (b.compare(at, 4, "data") == 0) {
            const size_t present = b.size() - body;
            wave.sizes_exact = size == present && LittleEndian(b, 4, 4) == b.size() - 8;
            for (size_t i = 0; i + 1 < std::min<size_t>(size, present); i += 2)
                wave.samples.push_back(int16_t(LittleEndian(b, body + i, 2)));
            return wave;
        }
        at = body + size + (size & 1);
    }
    return {};
}

// Helpers of the capture tests: running moonlit-capture into a fresh
// folder, and reading back what it wrote (PNG frames, the WAVE file).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace capture_test {

// A temporary folder, removed with its contents at the end of the scope.
struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::random_device seed;
        path = std::filesystem::temp_directory_path() / ("moonlit-capture-" + std::to_string(seed()));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// Runs the tool with the arguments into `out`; `env` goes before it.
inline ChildResult RunCapture(const std::string& out, const std::string& args, const std::string& env = "") {
    return RunChild(std::string(CAPTURE_TOOL) + " --out " + out + " " + args, "", env);
}

struct Wave {
    int rate = 0, channels = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
    int64_t SampleFrames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

inline uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Reads a canonical 16-bit PCM WAVE; checks the header's sizes against the
// file as it reads.
inline Wave ReadWave(const std::string& path) {
    Wave w;
    std::string b = ReadWholeFile(path);
    EXPECT_GE(b.size(), 44u) << path;
    if (b.size() < 44) return w;
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
    EXPECT_EQ(Le(b, 20, 2), 1u);
    EXPECT_EQ(b.substr(36, 4), "data");
    EXPECT_EQ(Le(b, 40, 4), b.size() - 44);
    w.channels = static_cast<int>(Le(b, 22, 2));
    w.rate = static_cast<int>(Le(b, 24, 4));
    w.bits = static_cast<int>(Le(b, 34, 2));
    w.samples.resize((b.size() - 44) / 2);
    std::memcpy(w.samples.data(), b.data() + 44, w.samples.size() * 2);
    return w;
}

inline double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / s.size());
}

inline std::string FrameFile(const std::string& out, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", index);
    return out + "/frames/" + name;
}

}  // namespace capture_test

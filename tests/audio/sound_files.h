// Sound files for the audio tests, made at test time by the real encoders
// (sox, oggenc) in a scratch folder that is removed again, plus the byte
// edits that make the odd WAVE layouts those encoders never write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Bytes = std::vector<unsigned char>;

class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
                ("moonlit-audio-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

// Runs a shell command; fails the test when it does not succeed.
inline void RunTool(const std::string& command) {
    ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
}

// A sine tone of `frames` frames as integer-PCM WAVE. The first channel
// carries the tone and the others are silent, so interleaving can be seen.
// "wavpcm" keeps sox from writing the extensible header for 24-bit data.
inline void MakeWave(const std::string& path, int rate, int channels, int bits, int frames) {
    std::string remix = channels == 2 ? " remix 1 0" : "";
    RunTool("sox -D -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -n -b " +
        std::to_string(bits) + " -t wavpcm " + path + " synth " + std::to_string(frames) +
        "s sine 440 vol 0.5" + remix);
}

inline void MakeFloatWave(const std::string& path) {
    RunTool("sox -D -r 22050 -c 1 -n -e floating-point -b 32 " + path + " synth 100s sine 440 vol 0.5");
}

// A stereo Ogg Vorbis file: the left channel a tone, the right silent.
inline void MakeOgg(const std::string& path, int frames) {
    std::string wave = path + ".src.wav";
    MakeWave(wave, 44100, 2, 16, frames);
    RunTool("oggenc -Q " + wave + " -o " + path);
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t GetU32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

inline void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void PutU16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

// Offsets in the canonical 44-byte header that sox writes for integer PCM.
constexpr size_t kFmtSizeAt = 16, kChannelsAt = 22, kBitsAt = 34, kDataIdAt = 36, kDataSizeAt = 40,
                 kDataAt = 44;

// Where the "data" chunk starts.
inline size_t DataChunkAt(const Bytes& wave) {
    for (size_t at = 12; at + 8 <= wave.size(); at += 8 + GetU32(wave, at + 4))
        if (std::memcmp(wave.data() + at, "data", 4) == 0) return at;
    return wave.size();
}

// Inserts a chunk right before the data chunk.
inline void InsertChunk(Bytes& wave, const char (&id)[5], const Bytes& body) {
    Bytes chunk(id, id + 4);
    uint32_t size = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<unsigned char>(size >> (8 * i)));
    chunk.insert(chunk.end(), body.begin(), body.end());
    wave.insert(wave.begin() + static_cast<long>(DataChunkAt(wave)), chunk.begin(), chunk.end());
    PutU32(wave, 4, static_cast<uint32_t>(wave.size() - 8));
}

// Grows the fmt chunk to 18 bytes (cbSize 0), as some writers do.
inline void WidenFmt(Bytes& wave) {
    Bytes wide(wave.begin(), wave.begin() + kDataIdAt);
    wide.push_back(0);
    wide.push_back(0);
    wide.insert(wide.end(), wave.begin() + kDataIdAt, wave.end());
    PutU32(wide, kFmtSizeAt, 18);
    PutU32(wide, 4, static_cast<uint32_t>(wide.size() - 8));
    wave.swap(wide);
}

// Sound files for the audio tests, made at test time by the real encoders
// (sox, oggenc), and the byte edits that make the WAVE layouts those
// encoders never write. Bytes are held in strings, as the support layer
// reads and writes files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/wave_file.h"

// A 440 Hz tone on the first channel, the others silent, so that
// interleaving can be seen. "-t wavpcm" keeps sox from writing the
// extensible header (it does for 24-bit or more than two channels).
inline void MakeWave(const std::string& path, int rate, int channels, int bits, int frames,
                     const std::string& type = "-t wavpcm") {
    std::string remix = channels == 2 ? " remix 1 0" : "";
    std::string command = "sox -D -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -n -b " +
                          std::to_string(bits) + " " + type + " '" + path + "' synth " + std::to_string(frames) +
                          "s sine 440 vol 0.5" + remix;
    ASSERT_EQ(Shell(command).status, 0) << command;
}

// Stereo Ogg Vorbis at 44.1 kHz: the left channel a tone, the right silent.
inline void MakeOgg(const std::string& path, int frames) {
    MakeWave(path + ".wav", 44100, 2, 16, frames);
    ASSERT_EQ(Shell("oggenc -Q '" + path + ".wav' -o '" + path + "'").status, 0);
}

inline void PutU(std::string& b, size_t at, uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// Offsets in the canonical 44-byte header sox writes for integer PCM.
constexpr size_t kFmtSizeAt = 16, kChannelsAt = 22, kBitsAt = 34, kDataIdAt = 36, kDataSizeAt = 40;

// Where the "data" chunk starts, or the size when there is none.
inline size_t DataChunkAt(const std::string& wave) {
    for (size_t at = 12; at + 8 <= wave.size(); at += 8 + LittleEndian(wave, at + 4, 4))
        if (wave.compare(at, 4, "data") == 0) return at;
    return wave.size();
}

// Puts a chunk in right before the data chunk; the RIFF size follows.
inline void InsertChunk(std::string& wave, const std::string& id, const std::string& body) {
    std::string chunk = id + "????" + body;
    PutU(chunk, 4, static_cast<uint32_t>(body.size()));
    wave.insert(DataChunkAt(wave), chunk);
    PutU(wave, 4, static_cast<uint32_t>(wave.size() - 8));
}

// Grows the fmt chunk to 18 bytes (cbSize 0), as some writers do.
inline void WidenFmt(std::string& wave) {
    wave.insert(kDataIdAt, 2, '\0');
    PutU(wave, kFmtSizeAt, 18);
    PutU(wave, 4, static_cast<uint32_t>(wave.size() - 8));
}

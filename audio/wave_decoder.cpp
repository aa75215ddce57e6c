// The RIFF WAVE decoder: integer PCM only, read in one piece.
//
// Headers come from files we did not write, so every size is checked against
// what is actually left in the file before it is used: a hostile header gives
// null, never an allocation larger than the file or a read past its end.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/sound_decoding.h"

namespace {

bool ReadBytes(std::FILE* file, void* out, size_t n) { return std::fread(out, 1, n, file) == n; }

bool ReadU16(std::FILE* file, uint32_t& value) {
    unsigned char b[2];
    if (!ReadBytes(file, b, 2)) return false;
    value = b[0] | (b[1] << 8);
    return true;
}

bool ReadU32(std::FILE* file, uint32_t& value) {
    unsigned char b[4];
    if (!ReadBytes(file, b, 4)) return false;
    value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool ReadTag(std::FILE* file, const char* expected) {
    char tag[4];
    return ReadBytes(file, tag, 4) && std::memcmp(tag, expected, 4) == 0;
}

// Bytes between the current position and the end, or -1 when the stream
// cannot tell.
long long BytesLeft(std::FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, here, SEEK_SET) != 0) return -1;
    return end - here;
}

// Skips n bytes. A skip past the end fails: no later chunk could follow.
bool Skip(std::FILE* file, uint32_t n) {
    if (n == 0) return true;
    if (static_cast<long long>(n) > BytesLeft(file)) return false;
    return std::fseek(file, static_cast<long>(n), SEEK_CUR) == 0;
}

struct WaveFormat {
    uint32_t channels, rate, bits_per_sample;
};

// "RIFF" size "WAVE" "fmt " and the 16 bytes of the PCM format, then the
// rest of a longer fmt chunk skipped.
bool ReadFormat(std::FILE* file, WaveFormat& format) {
    uint32_t riff_size, fmt_size, tag, byte_rate, block_align;
    if (!ReadTag(file, "RIFF") || !ReadU32(file, riff_size) || !ReadTag(file, "WAVE") ||
        !ReadTag(file, "fmt ") || !ReadU32(file, fmt_size))
        return false;
    if (fmt_size < 16) return false;
    if (!ReadU16(file, tag) || tag != 1) return false;
    if (!ReadU16(file, format.channels) || !ReadU32(file, format.rate) ||
        !ReadU32(file, byte_rate) || !ReadU16(file, block_align) ||
        !ReadU16(file, format.bits_per_sample))
        return false;
    // Without whole channels and whole bytes there is no frame size.
    if (format.channels == 0 || format.bits_per_sample < 8) return false;
    return Skip(file, fmt_size - 16);
}

// Reads the data chunk whose header was just read. Null when its size runs
// past the end of the file (checked before allocating) or exceeds what the
// 32-bit numbers of the result can describe.
unsigned char* ReadData(std::FILE* file, uint32_t size) {
    if (size > static_cast<uint32_t>(INT_MAX)) return nullptr;
    if (static_cast<long long>(size) > BytesLeft(file)) return nullptr;
    auto* data = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (!data) return nullptr;
    if (!ReadBytes(file, data, size)) {
        std::free(data);
        return nullptr;
    }
    return data;
}

// Walks the chunks after fmt until "data"; any other chunk is skipped by its
// size as written (no pad byte after odd sizes).
unsigned char* FindData(std::FILE* file, uint32_t& size) {
    for (;;) {
        char id[4];
        if (!ReadBytes(file, id, 4) || !ReadU32(file, size)) return nullptr;
        if (std::memcmp(id, "data", 4) == 0) return ReadData(file, size);
        if (!Skip(file, size)) return nullptr;
    }
}

}  // namespace

unsigned char* DecodeWave(std::FILE* file, int* length, int* channels, int* bytes_per_sample,
                          int* rate) {
    WaveFormat format;
    if (!ReadFormat(file, format)) return nullptr;
    uint32_t size = 0;
    unsigned char* data = FindData(file, size);
    if (!data) return nullptr;
    *channels = static_cast<int>(format.channels);
    *bytes_per_sample = static_cast<int>(format.bits_per_sample / 8);
    *rate = static_cast<int>(format.rate);
    *length = static_cast<int>(size / (format.bits_per_sample / 8 * format.channels));
    return data;
}

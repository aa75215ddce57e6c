// The canonical 44-byte header (RIFF, "fmt " with PCM, "data") followed by
// little-endian samples.
#include "capture/wave_writer.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

constexpr int kHeaderBytes = 44;
// The RIFF sizes are 32-bit; the capture stops short of them.
constexpr int64_t kMaxDataBytes = 0xFFFFFFFFll - kHeaderBytes;

}  // namespace

WaveWriter::~WaveWriter() { Close(); }

bool WaveWriter::Open(const std::string& path, int sample_rate, int channel_count) {
    Close();
    file = std::fopen(path.c_str(), "wb");
    rate = sample_rate;
    channels = channel_count;
    frames = 0;
    ok = file != nullptr && WriteHeader();
    return ok;
}

bool WaveWriter::WriteHeader() {
    uint32_t block_align = static_cast<uint32_t>(channels) * 2;
    uint64_t data_bytes = static_cast<uint64_t>(frames) * block_align;
    unsigned char h[kHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, static_cast<uint32_t>(36 + data_bytes));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, static_cast<uint32_t>(channels));
    Put32(h + 24, static_cast<uint32_t>(rate));
    Put32(h + 28, static_cast<uint32_t>(rate) * block_align);
    Put16(h + 32, block_align);
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, static_cast<uint32_t>(data_bytes));
    return std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file) == sizeof h;
}

bool WaveWriter::Write(const int16_t* samples, size_t sample_frames) {
    if (!file || !ok) return false;
    size_t values = sample_frames * static_cast<size_t>(channels);
    if ((frames + static_cast<int64_t>(sample_frames)) * channels * 2 > kMaxDataBytes) return ok = false;
    unsigned char bytes[4096];
    size_t done = 0;
    while (done < values) {
        size_t n = std::min(values - done, sizeof bytes / 2);
        for (size_t i = 0; i < n; ++i) Put16(bytes + 2 * i, static_cast<uint16_t>(samples[done + i]));
        if (std::fwrite(bytes, 2, n, file) != n) return ok = false;
        done += n;
    }
    frames += static_cast<int64_t>(sample_frames);
    return true;
}

bool WaveWriter::Close() {
    if (!file) return ok;
    if (ok) ok = WriteHeader();
    if (std::fclose(file) != 0) ok = false;
    file = nullptr;
    return ok;
}

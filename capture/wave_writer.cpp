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

bool WaveWriter::Open(const std::string& path, int rate, int channels) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    rate_ = rate;
    channels_ = channels;
    frames_ = 0;
    ok_ = file_ != nullptr && WriteHeader();
    return ok_;
}

bool WaveWriter::WriteHeader() {
    uint32_t blockAlign = static_cast<uint32_t>(channels_) * 2;
    uint64_t dataBytes = static_cast<uint64_t>(frames_) * blockAlign;
    unsigned char h[kHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, static_cast<uint32_t>(36 + dataBytes));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, static_cast<uint32_t>(channels_));
    Put32(h + 24, static_cast<uint32_t>(rate_));
    Put32(h + 28, static_cast<uint32_t>(rate_) * blockAlign);
    Put16(h + 32, blockAlign);
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, static_cast<uint32_t>(dataBytes));
    return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file_) == sizeof h;
}

bool WaveWriter::Write(const int16_t* samples, size_t sampleFrames) {
    if (!file_ || !ok_) return false;
    size_t values = sampleFrames * static_cast<size_t>(channels_);
    if ((frames_ + static_cast<int64_t>(sampleFrames)) * channels_ * 2 > kMaxDataBytes) return ok_ = false;
    unsigned char bytes[4096];
    size_t done = 0;
    while (done < values) {
        size_t n = std::min(values - done, sizeof bytes / 2);
        for (size_t i = 0; i < n; ++i) Put16(bytes + 2 * i, static_cast<uint16_t>(samples[done + i]));
        if (std::fwrite(bytes, 2, n, file_) != n) return ok_ = false;
        done += n;
    }
    frames_ += static_cast<int64_t>(sampleFrames);
    return true;
}

bool WaveWriter::Close() {
    if (!file_) return ok_;
    if (ok_) ok_ = WriteHeader();
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
    return ok_;
}

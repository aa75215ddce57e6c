// The Ogg Vorbis decoder: the whole stream decoded to interleaved 16-bit
// samples through stb_vorbis, into one buffer that grows by doubling.
//
// stb_vorbis sizes its copies of the comment header by the lengths written
// in the file, so the comment header is checked against its own size first
// (CommentHeaderFits).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include "audio/sound_decoding.h"

namespace {

// Decodes every frame into a malloc'd buffer; null when memory runs out.
short* DecodeAll(stb_vorbis* vorbis, int channels, int& frames) {
    // Room for one 4096-frame call at a time beyond what is used.
    const int headroom = channels * 4096;
    int room = headroom, used = 0;
    auto* samples = static_cast<short*>(std::malloc(sizeof(short) * room));
    frames = 0;
    while (samples) {
        int n = stb_vorbis_get_samples_short_interleaved(vorbis, channels, samples + used,
                                                         room - used);
        if (n == 0) break;
        frames += n;
        used += n * channels;
        if (headroom + used > room) {
            if (room > INT_MAX / 2) {  // past what the int sizes can describe
                std::free(samples);
                return nullptr;
            }
            room *= 2;
            auto* grown = static_cast<short*>(std::realloc(samples, sizeof(short) * room));
            if (!grown) std::free(samples);
            samples = grown;
        }
    }
    return samples;
}

// The second packet of the stream (the comment header), put together from
// the Ogg pages at the start of the file; empty when the pages end first.
std::vector<unsigned char> CommentPacket(std::FILE* file) {
    std::vector<unsigned char> packet;
    int index = 0;
    for (;;) {
        unsigned char header[27], lacing[255];
        if (std::fread(header, 1, 27, file) != 27 || std::memcmp(header, "OggS", 4) != 0) return {};
        size_t segments = header[26];
        if (std::fread(lacing, 1, segments, file) != segments) return {};
        for (size_t i = 0; i < segments; ++i) {
            size_t at = packet.size();
            if (index == 1) {
                packet.resize(at + lacing[i]);
                if (std::fread(packet.data() + at, 1, lacing[i], file) != lacing[i]) return {};
            } else if (std::fseek(file, lacing[i], SEEK_CUR) != 0) {
                return {};
            }
            if (lacing[i] < 255 && index++ == 1) return packet;
        }
    }
}

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Walks the comment header the way the decoder will read it: the vendor
// text and every comment are a 32-bit length and that many bytes. A length
// beyond what is left of the packet makes the decoder allocate by it and
// then read or write outside what it got, so such a header (or one cut
// short) is refused here.
bool CommentHeaderFits(std::FILE* file) {
    long start = std::ftell(file);
    if (start < 0) return false;
    std::vector<unsigned char> packet = CommentPacket(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return false;
    size_t at = 7;  // packet type 3 and "vorbis"
    auto length = [&](uint64_t& n) {
        if (at + 4 > packet.size()) return false;
        n = Le32(packet, at);
        at += 4;
        return true;
    };
    uint64_t n = 0;
    if (packet.size() < at || !length(n) || n > packet.size() - at) return false;
    at += static_cast<size_t>(n);
    uint64_t count = 0;
    if (!length(count) || count > (packet.size() - at) / 4) return false;
    for (uint64_t i = 0; i < count; ++i) {
        if (!length(n) || n > packet.size() - at) return false;
        at += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

unsigned char* DecodeVorbis(std::FILE* file, int* length, int* channels, int* bytesPerSample,
                            int* rate) {
    if (!CommentHeaderFits(file)) return nullptr;
    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_file(file, 0, &error, nullptr);
    if (!vorbis) return nullptr;
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    int frames = 0;
    short* samples = info.channels > 0 ? DecodeAll(vorbis, info.channels, frames) : nullptr;
    stb_vorbis_close(vorbis);
    if (!samples) return nullptr;
    *length = frames;
    *channels = info.channels;
    *bytesPerSample = 2;
    *rate = static_cast<int>(info.sample_rate);
    return reinterpret_cast<unsigned char*>(samples);
}

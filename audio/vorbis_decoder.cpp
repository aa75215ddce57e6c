// The Ogg Vorbis decoder: the whole stream decoded to interleaved 16-bit
// samples through stb_vorbis, into one buffer that grows by doubling.
//
// stb_vorbis leaks parts of its set-up when a stream turns out malformed
// half-way through opening. It is therefore given an arena of our own to
// allocate from (it then never calls malloc), and the arena goes away with
// the decoder whatever the stream held.
//
// It also dereferences its list of comments while tearing down after a
// failed allocation of that very list, so a comment count larger than the
// comment header could hold is refused before it gets that far.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
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

// Set-up of a normal stream takes a few hundred kilobytes; a larger arena
// is tried only when the decoder ran out of room. The arena is not cleared:
// the decoder writes before it reads, and frees nothing in it.
constexpr int kFirstArenaBytes = 256 * 1024;
constexpr int kLastArenaBytes = 16 * 1024 * 1024;

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

// Every comment takes at least its four length bytes, so a count beyond
// what the rest of the packet holds is a broken (or hostile) header.
bool CommentCountFits(std::FILE* file) {
    long start = std::ftell(file);
    if (start < 0) return false;
    std::vector<unsigned char> packet = CommentPacket(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return false;
    if (packet.size() < 11) return true;  // the decoder finds no comments there
    uint64_t at = 11 + static_cast<uint64_t>(Le32(packet, 7));
    if (at + 4 > packet.size()) return true;
    int32_t count = static_cast<int32_t>(Le32(packet, static_cast<size_t>(at)));
    return count <= 0 || static_cast<uint64_t>(count) <= (packet.size() - at - 4) / 4;
}

stb_vorbis* OpenInArena(std::FILE* file, std::unique_ptr<char[]>& arena) {
    long start = std::ftell(file);
    for (int size = kFirstArenaBytes; size <= kLastArenaBytes; size *= 4) {
        arena.reset(new char[static_cast<size_t>(size)]);
        stb_vorbis_alloc alloc = {arena.get(), size};
        int error = 0;
        stb_vorbis* vorbis = stb_vorbis_open_file(file, 0, &error, &alloc);
        if (vorbis || error != VORBIS_outofmem || start < 0) return vorbis;
        if (std::fseek(file, start, SEEK_SET) != 0) return nullptr;
    }
    return nullptr;
}

}  // namespace

unsigned char* DecodeVorbis(std::FILE* file, int* length, int* channels, int* bytesPerSample,
                            int* rate) {
    if (!CommentCountFits(file)) return nullptr;
    std::unique_ptr<char[]> arena;
    stb_vorbis* vorbis = OpenInArena(file, arena);
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

// The Ogg Vorbis decoder: the whole stream decoded to interleaved 16-bit
// samples through stb_vorbis, into one buffer that grows by doubling.
//
// stb_vorbis leaks parts of its set-up when a stream turns out malformed
// half-way through opening, so it allocates from an arena of ours that goes
// away with the decoder whatever the stream held. Inside an arena a wrapped
// size corrupts memory instead of failing, so the headers that decide those
// sizes are checked first (vorbis_headers.h).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include "audio/sound_decoding.h"
#include "audio/vorbis_headers.h"

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
// the decoder writes before it reads.
constexpr int kFirstArenaBytes = 256 * 1024;
constexpr int kLastArenaBytes = 64 * 1024 * 1024;

stb_vorbis* OpenInArena(std::FILE* file, std::unique_ptr<char[]>& arena) {
    long start = std::ftell(file);
    if (start < 0) return nullptr;
    for (int size = kFirstArenaBytes; size <= kLastArenaBytes; size *= 4) {
        arena.reset(new (std::nothrow) char[static_cast<size_t>(size)]);
        if (!arena) return nullptr;
        stb_vorbis_alloc alloc = {arena.get(), size};
        int error = 0;
        stb_vorbis* vorbis = stb_vorbis_open_file(file, 0, &error, &alloc);
        if (vorbis || error != VORBIS_outofmem) return vorbis;
        if (std::fseek(file, start, SEEK_SET) != 0) return nullptr;
    }
    return nullptr;
}

}  // namespace

unsigned char* DecodeVorbis(std::FILE* file, int* length, int* channels, int* bytes_per_sample,
                            int* rate) {
    if (!VorbisHeadersFit(file)) return nullptr;
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
    *bytes_per_sample = 2;
    *rate = static_cast<int>(info.sample_rate);
    return reinterpret_cast<unsigned char*>(samples);
}

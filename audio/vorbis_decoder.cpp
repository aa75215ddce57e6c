// The Ogg Vorbis decoder: the whole stream decoded to interleaved 16-bit
// samples through stb_vorbis, into one buffer that grows by doubling.
#include <climits>
#include <cstdlib>

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

}  // namespace

unsigned char* DecodeVorbis(std::FILE* file, int* length, int* channels, int* bytesPerSample,
                            int* rate) {
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

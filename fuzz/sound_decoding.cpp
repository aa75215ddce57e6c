// Feeds bytes to a sound decoder through an in-memory stream, routed by the
// file name the host would see (SOUND_FILE: a WAVE or an Ogg name, one per
// target). Every byte a decoded block claims is read, so the sanitizer sees
// a short block; a WAVE block is never bigger than its input.
#include <vector>

#include "audio/sound_decoding.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size);  // exactly `size`: a read past it is seen
    std::FILE* file = size ? fmemopen(bytes.data(), size, "rb") : nullptr;
    if (!file) return 0;
    const String name(SOUND_FILE);
    int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
    unsigned char* samples = DecodeSoundFile(file, name, &length, &channels, &bytes_per_sample, &rate);
    std::fclose(file);
    if (!samples) return 0;
    FUZZ_CHECK(length >= 0 && channels > 0 && bytes_per_sample > 0);
    size_t used = static_cast<size_t>(length) * channels * bytes_per_sample;
    // Decoded Vorbis outgrows its input, always in 16-bit samples.
    FUZZ_CHECK(name.EndsWith(".ogg") ? bytes_per_sample == 2 : used <= size);
    unsigned sum = 0;
    for (size_t i = 0; i < used; ++i) sum += samples[i];
    (void)sum;
    std::free(samples);
    return 0;
}

// Feeds bytes to the Ogg Vorbis route: the decoder (stb_vorbis inside)
// through an in-memory stream, as the host hands it a file named .ogg.
#include <cstdint>

#include "audio/sound_decoding.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<unsigned char> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), size, "rb");
    if (!file) return 0;
    int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
    unsigned char* samples = DecodeSoundFile(file, String("music.ogg"), &length, &channels, &bytes_per_sample, &rate);
    std::fclose(file);
    FUZZ_CHECK(!samples || bytes_per_sample == 2);
    CheckSamples(samples, SIZE_MAX, length, channels, bytes_per_sample);  // decoded sound outgrows its input
    return 0;
}

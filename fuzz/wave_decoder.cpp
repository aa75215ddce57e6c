// Feeds bytes to the WAVE decoder through an in-memory stream, directly and
// through the routing by file name. A decoded block must be at least as big
// as the numbers say, and never bigger than the input.
#include "audio/sound_decoding.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<unsigned char> bytes(data, data + size);  // exactly `size`: a read past it is seen
    for (bool by_name : {false, true}) {
        std::FILE* file = fmemopen(bytes.data(), size, "rb");
        if (!file) return 0;
        int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
        unsigned char* samples = by_name ? DecodeSoundFile(file, String("SOUND.WAV"), &length, &channels,
                                                           &bytes_per_sample, &rate)
                                         : DecodeWave(file, &length, &channels, &bytes_per_sample, &rate);
        std::fclose(file);
        CheckSamples(samples, size, length, channels, bytes_per_sample);
    }
    return 0;
}

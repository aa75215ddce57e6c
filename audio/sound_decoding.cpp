// DecodeSoundFile: a sound file routed to its decoder by the ending of its
// name.
#include "audio/sound_decoding.h"

unsigned char* DecodeSoundFile(std::FILE* file, const String& name, int* length, int* channels,
                               int* bytes_per_sample, int* rate) {
    String lower = name.ToLower();
    if (lower.EndsWith(".wav")) return DecodeWave(file, length, channels, bytes_per_sample, rate);
    if (lower.EndsWith(".ogg")) return DecodeVorbis(file, length, channels, bytes_per_sample, rate);
    return nullptr;
}

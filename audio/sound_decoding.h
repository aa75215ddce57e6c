// Sound file decoding: whole files turned into one block of interleaved PCM.
//
// Every decoder reads an open stream from its current position and returns
// the block (from malloc; the caller frees it) with the four numbers filled
// in, or null, and then the numbers are not to be used. The byte size the
// caller uses is channels * length * bytesPerSample. The stream stays open.
#pragma once

#include <cstdio>

#include "runtime/string.h"

// RIFF WAVE with integer PCM. bytesPerSample is bits / 8 and passes through
// unchanged (3 for 24-bit).
unsigned char* DecodeWave(std::FILE* file, int* length, int* channels, int* bytes_per_sample,
                          int* rate);

// Ogg Vorbis, decoded to 16-bit samples.
unsigned char* DecodeVorbis(std::FILE* file, int* length, int* channels, int* bytes_per_sample,
                            int* rate);

// Chooses the decoder by the ending of name (".wav" or ".ogg", compared in
// lower case; the contents are never sniffed); null for any other ending.
// This is the decoder the host's LoadAudioData runs on the file it opened;
// InitAudioGlobals (gxtk_audio.h) installs it.
unsigned char* DecodeSoundFile(std::FILE* file, const String& name, int* length, int* channels,
                               int* bytes_per_sample, int* rate);

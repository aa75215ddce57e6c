// libmikmod output drivers of our own that mix with the library's software
// mixer (its VC_ functions) and take the samples themselves: the capture's
// driver, which plays nowhere, and the stream driver, which feeds an OpenAL
// source. A driver record is registered with the library and must live as
// long as the library.
#pragma once

#include <mikmod.h>

#include <cstdint>
#include <vector>

// A driver record on the software mixer with our own start-up, update and
// shut-down. `init` must call VC_Init and `exit` VC_Exit (or be them).
MDRIVER MakeMixerDriver(const char* name, const char* alias, int (*init)(), void (*update)(), void (*exit)());

// The mixer's rate (sample frames per second) and channel count.
int MixerRate();
int MixerChannels();

// Mixes the next `sample_frames` sample frames as 16-bit PCM, interleaved,
// into `out` (resized to fit; its storage is reused). The mixer's float
// output is scaled and clamped.
void MixPcm16(int sample_frames, std::vector<int16_t>* out);

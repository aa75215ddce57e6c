// The browser's music output: the stream into OpenAL (emscripten's OpenAL
// on Web Audio), ahead of the library's silent fallback.
#include <mikmod.h>

#include "audio/music_output.h"
#include "audio/music_stream.h"

void RegisterMusicOutputs() {
    InstallMusicStream();
    MikMod_RegisterAllDrivers();
}

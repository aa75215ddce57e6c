// The desktop's music outputs: every driver libmikmod was built with.
#include <mikmod.h>

#include "audio/music_output.h"

void RegisterMusicOutputs() { MikMod_RegisterAllDrivers(); }

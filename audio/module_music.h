// Module music: the one tracker module the program plays, through libmikmod.
// Global functions on the main thread; libmikmod drives its own output (in
// a browser our stream into the sample device's OpenAL context, so that
// device must exist before the player starts).
#pragma once

#include "runtime/string.h"

// Initialises libmikmod for 16-bit stereo float output on the platform's
// default driver (audio/music_output.h). On failure prints the reason on standard error and carries on:
// the music is then off for the rest of the run.
void InitModulePlayer();
// Frees the current module, loads the module file at path (used as given,
// relative to the current directory) and starts it. A file that cannot be
// loaded ends the process abnormally.
void PlayModule(const String& path);
void StopModule();
// Pumps the player once; the music sounds only while this runs often.
void UpdateModulePlayer();
void TogglePauseModule();
int GetModuleRow();

// The audio share of the game delegate, before the audio layer fills it
// in: no device.
#include "app/device_steps.h"
#include "app/framework.h"

void InitAudioGlobals() {}
void StartAudioDevice(c_GameDelegate*) {}
void SuspendAudioDevice(c_GameDelegate*) {}
void ResumeAudioDevice(c_GameDelegate*) {}
void ShadeAudioDevice(gxtkAudio*) {}

// The audio share of the game delegate: the sample device, created at
// StartGame and kept in the delegate and in the audioDevice root, paused and
// restarted with the game. Start-up also hands the host the sound decoder
// its LoadAudioData runs.
#include "app/device_steps.h"
#include "app/framework.h"
#include "audio/gxtk_audio.h"
#include "audio/sound_decoding.h"
#include "host/glfw_game.h"

void InitAudioGlobals() {
    audioDevice = nullptr;
    register_audio_roots();
    SetAudioDecoder(DecodeSoundFile);
}

void StartAudioDevice(c_GameDelegate* d) {
    gc_assign(d->audio, gc_new<gxtkAudio>());
    gc_assign(audioDevice, d->audio);
}

void SuspendAudioDevice(c_GameDelegate* d) { d->audio->Suspend(); }
void ResumeAudioDevice(c_GameDelegate* d) { d->audio->Resume(); }
void ShadeAudioDevice(gxtkAudio* audio) { gc_shade(audio); }

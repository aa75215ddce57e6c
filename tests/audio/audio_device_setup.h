// Start-up shared by the sample device tests: openal-soft's null output
// (optionally with a config file of the test's own), the real desktop host
// object with the sound decoder installed (its LoadAudioData is what
// LoadSample calls), the collector with the audio root, and the one device.
#pragma once

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/gxtk_audio.h"
#include "audio/sound_decoding.h"
#include "host/glfw_game.h"
#include "tests/audio/sound_files.h"

inline gxtkAudio* StartTestAudio(const std::string& alsoft_config = "") {
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (!alsoft_config.empty()) setenv("ALSOFT_CONF", alsoft_config.c_str(), 1);
    static RtVantorixGame host;
    SetAudioDecoder(DecodeSoundFile);
    gc_init();
    RegisterAudioRoots();
    gc_assign(audioDevice, gc_new<gxtkAudio>());
    return audioDevice;
}

inline ALint SourceStateOf(gxtkAudio* audio, int channel) {
    ALint state = 0;
    alGetSourcei(audio->channels[channel].source, AL_SOURCE_STATE, &state);
    return state;
}

// Waits (up to three seconds) until the channel's source has stopped by
// itself; the null output plays in real time.
inline bool WaitUntilSourceStops(gxtkAudio* audio, int channel) {
    for (int i = 0; i < 300; ++i) {
        if (SourceStateOf(audio, channel) == AL_STOPPED) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Two whole cycles: the first may still keep what the write barrier shaded.
inline void CollectEverything() {
    gc_collect_full();
    gc_collect_full();
    gc_reclaim_all();
}

inline bool IsListedForDiscard(ALuint buffer) {
    for (ALuint b : DiscardedBuffers())
        if (b == buffer) return true;
    return false;
}

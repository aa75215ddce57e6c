// The sample-audio device on OpenAL: gxtkAudio with 32 sound channels and
// one music channel, and gxtkSample, one decoded sound in an OpenAL buffer.
//
// Buffers are never deleted by their sample: a sample that is discarded or
// collected puts its buffer on the discard list, and the device deletes the
// listed buffers once no source holds them any more (at the next LoadSample
// or PlaySample). Everything runs on the main thread.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <vector>

#include "runtime/gc.h"
#include "runtime/string.h"

constexpr int kSoundChannels = 32;
constexpr int kMusicChannel = 32;
constexpr int kChannelCount = kSoundChannels + 1;  // the sound channels and the music's

enum gxtkChannelState { kChannelStopped = 0, kChannelPlaying = 1, kChannelPaused = 2 };

struct gxtkSample : Object {
    ALuint buffer = 0;  // 0 when the sample holds none

    ~gxtkSample() override;
    // Gives the buffer up to the discard list; the sample is silent after.
    virtual int Discard();
};

struct gxtkChannel {
    ALuint source;        // 0 until the channel first needs one
    gxtkSample* sample;   // the sample last played here
    int flags;            // of the last play; non-zero loops
    int state;            // gxtkChannelState
};

struct gxtkAudio : Object {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    gxtkChannel channels[kChannelCount];

    // Opens the default device (or the two generic ones) and makes a
    // context current; on failure prints why and goes on without sound.
    // Both stay open until the process exits, and are closed then.
    gxtkAudio();
    // Keeps alive the samples of channels that are still sounding.
    void mark() override;

    virtual int Suspend();
    virtual int Resume();
    virtual gxtkSample* LoadSample(const String& path);
    virtual bool LoadSampleData(gxtkSample* sample, const String& path);
    // 0, or -1 when no source could be had for the channel.
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    // pan is an angle in radians; 0 is straight ahead.
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    // The whole file as one sample on the music channel; -1 if it cannot load.
    virtual int PlayMusic(const String& path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

private:
    // Gives the channel a source, generating or stealing one; false if none.
    bool AcquireSource(int channel);
    void ReleaseDiscardedBuffers();
};

// The framework's audio device (null until the game starts); a root.
extern gxtkAudio* audioDevice;
void RegisterAudioRoots();
// Start-up: audioDevice null and a root, and the host's LoadAudioData given
// the sound decoder (sound_decoding.h).
void InitAudioGlobals();

// Buffer names waiting to be deleted, oldest first.
const std::vector<ALuint>& DiscardedBuffers();

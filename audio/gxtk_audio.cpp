// The sample-audio device: channels and their sources, playback control,
// sample loading through the host's LoadAudioData (whose decoder the audio
// start-up installs), and the discard list.
#include "audio/gxtk_audio.h"

#include <cmath>
#include <cstdlib>

#include "audio/sound_decoding.h"
#include "host/glfw_game.h"
#include "host/rt_game.h"
#include "runtime/error.h"

gxtkAudio* audioDevice = nullptr;

namespace {

std::vector<ALuint> discard_list;

// Every device a gxtkAudio opened, with its context. They stay open for the
// whole run and are closed by an exit handler: the OpenAL library reports a
// device still open when it is unloaded ("alc_cleanup: 1 device not
// closed"). A namespace-scope vector is built before main, so it outlives
// the handler, which is registered later.
struct OpenedDevice {
    ALCdevice* device;
    ALCcontext* context;
};
std::vector<OpenedDevice> opened_devices;

void CloseOpenedDevices() {
    alcMakeContextCurrent(nullptr);
    for (const OpenedDevice& opened : opened_devices) {
        if (opened.context) alcDestroyContext(opened.context);
        alcCloseDevice(opened.device);
    }
    opened_devices.clear();
}

void CloseAtExit(ALCdevice* device, ALCcontext* context) {
    if (opened_devices.empty()) std::atexit(CloseOpenedDevices);
    opened_devices.push_back({device, context});
}

// The source's AL_SOURCE_STATE; AL_INITIAL when it cannot be asked (no
// context), so that such a channel is never taken for finished.
ALint SourceState(ALuint source) {
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

ALenum FormatOf(int bytes_per_sample, int channels) {
    if (bytes_per_sample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytes_per_sample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytes_per_sample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytes_per_sample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;  // OpenAL refuses it: the buffer stays empty
}

ALCdevice* OpenDevice() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) device = alcOpenDevice("Generic Hardware");
    if (!device) device = alcOpenDevice("Generic Software");
    return device;
}

void DiscardBuffer(ALuint buffer) {
    if (buffer) discard_list.push_back(buffer);
}

}  // namespace

// ---- gxtkSample ----------------------------------------------------------

gxtkSample::~gxtkSample() { DiscardBuffer(buffer); }

int gxtkSample::Discard() {
    DiscardBuffer(buffer);
    buffer = 0;
    return 0;
}

const std::vector<ALuint>& DiscardedBuffers() { return discard_list; }

void RegisterAudioRoots() {
    gc_add_root(+[]() -> gc_object* { return audioDevice; });
}

void InitAudioGlobals() {
    audioDevice = nullptr;
    RegisterAudioRoots();
    SetAudioDecoder(DecodeSoundFile);
}

// ---- gxtkAudio -----------------------------------------------------------

gxtkAudio::gxtkAudio() {
    device = OpenDevice();
    if (!device) {
        Print(String("OpenAl error: alcOpenDevice failed"));
    } else {
        context = alcCreateContext(device, nullptr);
        if (!context)
            Print(String("OpenAl error: alcCreateContext failed"));
        else if (!alcMakeContextCurrent(context))
            Print(String("OpenAl error: alcMakeContextCurrent failed"));
        CloseAtExit(device, context);
    }
    alDistanceModel(AL_NONE);
    for (gxtkChannel& c : channels) c = gxtkChannel{0, nullptr, 0, kChannelStopped};
    AcquireSource(kMusicChannel);
}

void gxtkAudio::mark() {
    for (gxtkChannel& c : channels)
        if (c.state != kChannelStopped && SourceState(c.source) != AL_STOPPED) gc_shade(c.sample);
}

bool gxtkAudio::AcquireSource(int channel) {
    gxtkChannel& c = channels[channel];
    if (c.source) return true;
    alGetError();
    alGenSources(1, &c.source);
    if (alGetError() == AL_NO_ERROR) return true;
    c.source = 0;
    // The implementation has no more sources: take one from a sound channel
    // that has finished.
    for (int i = 0; i < kSoundChannels; ++i) {
        if (channels[i].source == 0 || ChannelState(i) != kChannelStopped) continue;
        c.source = channels[i].source;
        channels[i].source = 0;
        return true;
    }
    return false;
}

// A buffer can only be deleted once no source holds it: finished channels
// let go of theirs first, and a buffer still attached stays listed.
void gxtkAudio::ReleaseDiscardedBuffers() {
    if (discard_list.empty()) return;
    for (gxtkChannel& c : channels)
        if (c.state != kChannelStopped && SourceState(c.source) == AL_STOPPED) alSourcei(c.source, AL_BUFFER, 0);
    size_t kept = 0;
    for (ALuint buffer : discard_list) {
        alGetError();
        alDeleteBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) discard_list[kept++] = buffer;
    }
    discard_list.resize(kept);
}

int gxtkAudio::Suspend() {
    for (gxtkChannel& c : channels)
        if (c.state == kChannelPlaying && SourceState(c.source) == AL_PLAYING) alSourcePause(c.source);
    return 0;
}

int gxtkAudio::Resume() {
    for (gxtkChannel& c : channels)
        if (c.state == kChannelPlaying && SourceState(c.source) == AL_PAUSED) alSourcePlay(c.source);
    return 0;
}

gxtkSample* gxtkAudio::LoadSample(const String& path) {
    ReleaseDiscardedBuffers();
    gxtkSample* sample = gc_new<gxtkSample>();
    return LoadSampleData(sample, path) ? sample : nullptr;
}

bool gxtkAudio::LoadSampleData(gxtkSample* sample, const String& path) {
    int length = 0, channel_count = 0, bytes_per_sample = 0, rate = 0;
    unsigned char* data = CurrentGame()->LoadAudioData(path, &length, &channel_count, &bytes_per_sample, &rate);
    if (!data) return false;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, FormatOf(bytes_per_sample, channel_count), data, channel_count * length * bytes_per_sample,
                 rate);
    std::free(data);
    // A sample loaded twice gives its old buffer up rather than leak it.
    DiscardBuffer(sample->buffer);
    sample->buffer = buffer;
    return true;
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    ReleaseDiscardedBuffers();
    if (!AcquireSource(channel)) return -1;
    gxtkChannel& c = channels[channel];
    alSourceStop(c.source);
    alSourcei(c.source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    alSourcei(c.source, AL_LOOPING, flags ? 1 : 0);
    alSourcePlay(c.source);
    gc_assign(c.sample, sample);
    c.flags = flags;
    c.state = kChannelPlaying;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel& c = channels[channel];
    if (c.state != kChannelStopped) {
        alSourceStop(c.source);
        c.state = kChannelStopped;
    }
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel& c = channels[channel];
    if (c.state != kChannelPlaying) return 0;
    if (SourceState(c.source) == AL_STOPPED) {
        c.state = kChannelStopped;
    } else {
        alSourcePause(c.source);
        c.state = kChannelPaused;
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel& c = channels[channel];
    if (c.state == kChannelPaused) {
        alSourcePlay(c.source);
        c.state = kChannelPlaying;
    }
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel& c = channels[channel];
    if (c.state == kChannelPlaying && SourceState(c.source) == AL_STOPPED) c.state = kChannelStopped;
    return c.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    AcquireSource(channel);
    alSourcef(channels[channel].source, AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    AcquireSource(channel);
    double angle = pan;
    alSource3f(channels[channel].source, AL_POSITION, static_cast<float>(std::sin(angle)), 0.0f,
               static_cast<float>(-std::cos(angle)));
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    AcquireSource(channel);
    alSourcef(channels[channel].source, AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(const String& path, int flags) {
    StopMusic();
    gxtkSample* music = LoadSample(path);
    if (!music) return -1;
    PlaySample(music, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }

// The stream driver: one OpenAL source with a queue of kStreamBuffers
// buffers of 16-bit PCM from the software mixer.
#include "audio/music_stream.h"

#include <AL/al.h>

#include <cstdint>
#include <vector>

#include "audio/mixer_driver.h"

namespace {

// 4 × 4096 sample frames hold about 0.37 s at 44.1 kHz: enough to ride out
// the pump's pauses (a 30 Hz display pumps in bursts every 33 ms, a slow
// frame stalls it longer) while the refill stays a small piece of work.
constexpr int kStreamBuffers = 4;
constexpr int kBufferFrames = 4096;

struct Stream {
    ALuint source = 0;
    ALuint buffers[kStreamBuffers] = {};
    int unqueued = 0;  // buffers never queued yet, from the front of `buffers`
    std::vector<int16_t> pcm;
};
Stream stream;

void Fill(ALuint buffer) {
    MixPcm16(kBufferFrames, &stream.pcm);
    ALenum format = MixerChannels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    alBufferData(buffer, format, stream.pcm.data(), static_cast<ALsizei>(stream.pcm.size() * sizeof(int16_t)),
                 MixerRate());
    alSourceQueueBuffers(stream.source, 1, &buffer);
}

int StreamInit() {
    alGetError();
    alGenSources(1, &stream.source);
    if (alGetError() != AL_NO_ERROR) return 1;
    alGenBuffers(kStreamBuffers, stream.buffers);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &stream.source);
        return 1;
    }
    // Music plays as it is, not placed in space.
    alSourcei(stream.source, AL_SOURCE_RELATIVE, AL_TRUE);
    stream.unqueued = kStreamBuffers;
    return VC_Init();
}

void StreamExit() {
    alSourceStop(stream.source);
    alSourcei(stream.source, AL_BUFFER, 0);
    alDeleteSources(1, &stream.source);
    alDeleteBuffers(kStreamBuffers, stream.buffers);
    stream = Stream();
    VC_Exit();
}

// The first calls queue the fresh buffers; later ones refill what the
// source has played. A source that ran dry (the pump stalled longer than
// the queue lasts) is started again.
void StreamUpdate() {
    ALint processed = 0;
    alGetSourcei(stream.source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(stream.source, 1, &buffer);
        Fill(buffer);
    }
    for (; stream.unqueued > 0; --stream.unqueued) Fill(stream.buffers[kStreamBuffers - stream.unqueued]);
    ALint state = 0;
    alGetSourcei(stream.source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(stream.source);
}

MDRIVER stream_driver = MakeMixerDriver("OpenAL stream", "stream", StreamInit, StreamUpdate, StreamExit);

}  // namespace

void InstallMusicStream() { MikMod_RegisterDriver(&stream_driver); }

bool MusicStreamActive() { return md_driver == &stream_driver && MikMod_Active(); }

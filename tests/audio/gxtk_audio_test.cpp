// The sample device on a real OpenAL (openal-soft's null output): channel
// states through a sound's life, Suspend and Resume, the buffer formats,
// music, and the discard list and the collector working together.
#include "tests/audio/audio_device_setup.h"

namespace {

class SampleDevice : public ::testing::Test {
protected:
    static ScratchFolder* files;
    static gxtkAudio* audio;

    static void SetUpTestSuite() {
        files = new ScratchFolder;
        MakeWave(*files / "blip.wav", 22050, 1, 16, 1100);  // 50 ms
        MakeWave(*files / "tone.wav", 22050, 1, 16, 66150);  // 3 s
        MakeWave(*files / "cd.wav", 44100, 2, 16, 44100);
        MakeWave(*files / "low.wav", 8000, 1, 8, 800);
        MakeWave(*files / "deep.wav", 8000, 2, 24, 800);
        MakeOgg(*files / "tune.ogg", 10000);
        audio = StartTestAudio();
    }
    static void TearDownTestSuite() { delete files; }

    void SetUp() override {
        for (int c = 0; c < kChannelCount; ++c) audio->StopChannel(c);
    }
    gxtkSample* Load(const char* name) { return audio->LoadSample(String((*files / name).c_str())); }
    ALint BufferInfo(gxtkSample* sample, ALenum what) {
        ALint value = -1;
        alGetBufferi(sample->buffer, what, &value);
        return value;
    }
};

ScratchFolder* SampleDevice::files = nullptr;
gxtkAudio* SampleDevice::audio = nullptr;

TEST_F(SampleDevice, OpensTheNullOutputWithAMusicSource) {
    EXPECT_NE(audio->device, nullptr);
    EXPECT_NE(audio->context, nullptr);
    EXPECT_NE(audio->channels[kMusicChannel].source, 0u);
    ALint model = -1;
    model = alGetInteger(AL_DISTANCE_MODEL);
    EXPECT_EQ(model, AL_NONE);
}

TEST_F(SampleDevice, ChannelStatesFollowTheSound) {
    gxtkSample* tone = Load("tone.wav");
    ASSERT_NE(tone, nullptr);
    ASSERT_EQ(audio->PlaySample(tone, 0, 0), 0);
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
    EXPECT_EQ(SourceStateOf(audio, 0), AL_PLAYING);
    audio->PauseChannel(0);
    EXPECT_EQ(audio->ChannelState(0), kChannelPaused);
    EXPECT_EQ(SourceStateOf(audio, 0), AL_PAUSED);
    audio->PauseChannel(0);  // only a playing channel pauses
    EXPECT_EQ(audio->ChannelState(0), kChannelPaused);
    audio->ResumeChannel(0);
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
    EXPECT_EQ(SourceStateOf(audio, 0), AL_PLAYING);
    audio->StopChannel(0);
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
    EXPECT_EQ(SourceStateOf(audio, 0), AL_STOPPED);

    // A short sound ends by itself; the channel notices when asked.
    gxtkSample* blip = Load("blip.wav");
    audio->PlaySample(blip, 1, 0);
    ASSERT_TRUE(WaitUntilSourceStops(audio, 1));
    EXPECT_EQ(audio->channels[1].state, kChannelPlaying);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);

    // Pausing a sound that has ended only records that it has.
    audio->PlaySample(blip, 2, 0);
    ASSERT_TRUE(WaitUntilSourceStops(audio, 2));
    audio->PauseChannel(2);
    EXPECT_EQ(audio->channels[2].state, kChannelStopped);
    EXPECT_EQ(SourceStateOf(audio, 2), AL_STOPPED);
    audio->ResumeChannel(2);
    EXPECT_EQ(SourceStateOf(audio, 2), AL_STOPPED);
}

TEST_F(SampleDevice, AnyNonZeroFlagsLoop) {
    gxtkSample* blip = Load("blip.wav");
    for (int flags : {1, 2, -1, 0x100}) {
        audio->PlaySample(blip, 3, flags);
        ALint looping = 0;
        alGetSourcei(audio->channels[3].source, AL_LOOPING, &looping);
        EXPECT_EQ(looping, AL_TRUE) << flags;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);
    audio->PlaySample(blip, 3, 0);
    ALint looping = 1;
    alGetSourcei(audio->channels[3].source, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_FALSE);
}

TEST_F(SampleDevice, SuspendAndResumeRestartExactlyThePlayingChannels) {
    gxtkSample* tone = Load("tone.wav");
    gxtkSample* blip = Load("blip.wav");
    audio->PlaySample(tone, 0, 1);   // playing
    audio->PlaySample(tone, 1, 1);   // paused by the program
    audio->PauseChannel(1);
    audio->PlaySample(blip, 2, 0);   // ended by itself
    audio->PlaySample(tone, 3, 1);   // stopped by the program
    audio->StopChannel(3);
    audio->PlayMusic(String((*files / "tone.wav").c_str()), 1);
    ASSERT_TRUE(WaitUntilSourceStops(audio, 2));

    audio->Suspend();
    EXPECT_EQ(SourceStateOf(audio, 0), AL_PAUSED);
    EXPECT_EQ(SourceStateOf(audio, kMusicChannel), AL_PAUSED);
    EXPECT_EQ(audio->channels[0].state, kChannelPlaying);
    EXPECT_EQ(audio->channels[kMusicChannel].state, kChannelPlaying);

    audio->Resume();
    EXPECT_EQ(SourceStateOf(audio, 0), AL_PLAYING);
    EXPECT_EQ(SourceStateOf(audio, kMusicChannel), AL_PLAYING);
    EXPECT_EQ(SourceStateOf(audio, 1), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(1), kChannelPaused);
    EXPECT_EQ(SourceStateOf(audio, 2), AL_STOPPED);
    EXPECT_EQ(SourceStateOf(audio, 3), AL_STOPPED);
}

TEST_F(SampleDevice, BuffersGetTheFormatOfTheDecodedData) {
    gxtkSample* cd = Load("cd.wav");
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(BufferInfo(cd, AL_SIZE), 44100 * 4);
    EXPECT_EQ(BufferInfo(cd, AL_CHANNELS), 2);
    EXPECT_EQ(BufferInfo(cd, AL_BITS), 16);
    EXPECT_EQ(BufferInfo(cd, AL_FREQUENCY), 44100);

    gxtkSample* low = Load("low.wav");
    EXPECT_EQ(BufferInfo(low, AL_SIZE), 800);
    EXPECT_EQ(BufferInfo(low, AL_BITS), 8);
    EXPECT_EQ(BufferInfo(low, AL_CHANNELS), 1);

    gxtkSample* tune = Load("tune.ogg");
    ASSERT_NE(tune, nullptr);
    EXPECT_EQ(BufferInfo(tune, AL_SIZE), 10000 * 4);
    EXPECT_EQ(BufferInfo(tune, AL_CHANNELS), 2);

    // 24-bit data has no OpenAL format: the sample exists, silent.
    gxtkSample* deep = Load("deep.wav");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(BufferInfo(deep, AL_SIZE), 0);
    EXPECT_EQ(audio->PlaySample(deep, 4, 0), 0);
}

TEST_F(SampleDevice, TheHostDecodesAndCountsTheDecodedBytes) {
    std::filesystem::copy_file(*files / "cd.wav", *files / "CD.WAV",
                               std::filesystem::copy_options::overwrite_existing);
    for (const char* name : {"cd.wav", "CD.WAV", "tune.ogg"}) {
        int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
        int before = gc_read_counters().external_bytes;
        unsigned char* data =
            CurrentGame()->LoadAudioData(String((*files / name).c_str()), &length, &channels, &bytes_per_sample, &rate);
        ASSERT_NE(data, nullptr) << name;
        EXPECT_EQ(gc_read_counters().external_bytes - before, length * channels * bytes_per_sample) << name;
        std::free(data);
    }
    int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
    int before = gc_read_counters().external_bytes;
    EXPECT_EQ(CurrentGame()->LoadAudioData(String((*files / "missing.wav").c_str()), &length, &channels,
                                           &bytes_per_sample, &rate),
              nullptr);
    EXPECT_EQ(gc_read_counters().external_bytes, before);
}

TEST_F(SampleDevice, UnloadableFilesGiveNoSampleAndNoMusic) {
    EXPECT_EQ(Load("missing.wav"), nullptr);
    EXPECT_EQ(audio->LoadSample(String("vantorix:nowhere/blip.wav")), nullptr);
    std::filesystem::copy_file(*files / "blip.wav", *files / "blip.mp3",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(Load("blip.mp3"), nullptr);

    EXPECT_EQ(audio->PlayMusic(String((*files / "tune.ogg").c_str()), 0), 0);
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPaused);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    // A failed PlayMusic has already stopped what played.
    EXPECT_EQ(audio->PlayMusic(String((*files / "missing.ogg").c_str()), 0), -1);
    EXPECT_EQ(audio->MusicState(), kChannelStopped);
}

TEST_F(SampleDevice, VolumePanAndRateReachTheSource) {
    audio->SetVolume(5, 0.25f);
    audio->SetRate(5, 1.5f);
    audio->SetPan(5, 1.5707964f);
    audio->SetMusicVolume(0.5f);
    ALuint source = audio->channels[5].source;
    ASSERT_NE(source, 0u);
    ALfloat gain = 0, pitch = 0, music = 0, x = 0, y = 1, z = 0;
    alGetSourcef(source, AL_GAIN, &gain);
    alGetSourcef(source, AL_PITCH, &pitch);
    alGetSource3f(source, AL_POSITION, &x, &y, &z);
    alGetSourcef(audio->channels[kMusicChannel].source, AL_GAIN, &music);
    EXPECT_FLOAT_EQ(gain, 0.25f);
    EXPECT_FLOAT_EQ(pitch, 1.5f);
    EXPECT_FLOAT_EQ(music, 0.5f);
    EXPECT_FLOAT_EQ(x, 1.0f);  // a quarter turn: to the right
    EXPECT_FLOAT_EQ(y, 0.0f);
    EXPECT_NEAR(z, 0.0f, 1e-6);
    audio->SetPan(5, 0.0f);
    alGetSource3f(source, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(z, -1.0f);  // straight ahead
}

TEST_F(SampleDevice, DiscardedBuffersAreDeletedOnceDetached) {
    gxtkSample* looped = Load("tone.wav");
    gxtkSample* other = Load("blip.wav");
    ALuint buffer = looped->buffer;
    audio->PlaySample(looped, 0, 1);
    looped->Discard();
    EXPECT_EQ(looped->buffer, 0u);
    EXPECT_TRUE(IsListedForDiscard(buffer));

    // Still attached to a playing source: it survives the next release.
    audio->PlaySample(other, 1, 1);
    EXPECT_TRUE(IsListedForDiscard(buffer));
    EXPECT_TRUE(alIsBuffer(buffer));
    audio->PauseChannel(0);
    audio->LoadSample(String((*files / "blip.wav").c_str()));
    EXPECT_TRUE(IsListedForDiscard(buffer));

    // Replaced on its channel, it goes at the next release.
    audio->PlaySample(other, 0, 0);
    audio->PlaySample(other, 2, 0);
    EXPECT_FALSE(IsListedForDiscard(buffer));
    EXPECT_FALSE(alIsBuffer(buffer));

    // A channel whose sound ended lets go of its buffer for the release.
    gxtkSample* blip = Load("blip.wav");
    ALuint blip_buffer = blip->buffer;
    audio->PlaySample(blip, 3, 0);
    ASSERT_TRUE(WaitUntilSourceStops(audio, 3));
    blip->Discard();
    audio->PlaySample(other, 4, 0);
    EXPECT_FALSE(alIsBuffer(blip_buffer));
    EXPECT_TRUE(DiscardedBuffers().empty());
}

TEST_F(SampleDevice, SoundingSamplesSurviveCollectionAndFinishedOnesGo) {
    CollectEverything();
    ALuint looped, ended, stopped;
    {
        // Reachable only through the device's channels from here on.
        gxtkSample* a = Load("tone.wav");
        gxtkSample* b = Load("blip.wav");
        gxtkSample* c = Load("tone.wav");
        looped = a->buffer, ended = b->buffer, stopped = c->buffer;
        audio->PlaySample(a, 6, 1);
        audio->PlaySample(b, 7, 0);
        audio->PlaySample(c, 8, 0);
        audio->PauseChannel(8);
    }
    CollectEverything();
    EXPECT_FALSE(IsListedForDiscard(looped));
    EXPECT_FALSE(IsListedForDiscard(stopped));

    ASSERT_TRUE(WaitUntilSourceStops(audio, 7));
    audio->StopChannel(8);
    CollectEverything();
    EXPECT_FALSE(IsListedForDiscard(looped));
    EXPECT_TRUE(IsListedForDiscard(ended));
    EXPECT_TRUE(IsListedForDiscard(stopped));
    EXPECT_STREQ(gc_check_heap(), "");

    // The ended sample's buffer is detached and deleted at the next play.
    audio->PlaySample(audio->channels[6].sample, 9, 0);
    EXPECT_FALSE(alIsBuffer(ended));
}

}  // namespace

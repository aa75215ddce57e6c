// The sample device on a real OpenAL (openal-soft's null output, which plays
// in real time): channel states through a sound's life, Suspend and Resume,
// buffer formats, music, the discard list with the collector, and source
// stealing when OpenAL runs out of sources.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/gxtk_audio.h"
#include "audio/sound_decoding.h"
#include "host/glfw_game.h"
#include "tests/audio/sound_files.h"

namespace {

// The first call opens the device; OpenAL reads its source limit only then.
gxtkAudio* Device() {
    static gxtkAudio* audio = [] {
        setenv("ALSOFT_DRIVERS", "null", 1);
        static RtVantorixGame host;  // its LoadAudioData is what LoadSample calls
        SetAudioDecoder(DecodeSoundFile);
        gc_init();
        RegisterAudioRoots();
        gc_assign(audioDevice, gc_new<gxtkAudio>());
        return audioDevice;
    }();
    return audio;
}

ALint SourceState(int channel) {
    ALint state = 0;
    alGetSourcei(Device()->channels[channel].source, AL_SOURCE_STATE, &state);
    return state;
}

// Waits (up to three seconds) until the channel's source stops by itself.
bool SourceStops(int channel) {
    for (int i = 0; i < 300 && SourceState(channel) != AL_STOPPED; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SourceState(channel) == AL_STOPPED;
}

bool ListedForDiscard(ALuint buffer) {
    for (ALuint b : DiscardedBuffers())
        if (b == buffer) return true;
    return false;
}

// Two whole cycles: the first may still keep what the write barrier shaded.
void CollectEverything() {
    gc_collect_full();
    gc_collect_full();
    gc_reclaim_all();
}

class SampleDevice : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files = new TempFolder("audio-device");
        MakeWave(*files / "blip.wav", 22050, 1, 16, 1100);  // 50 ms
        MakeWave(*files / "tone.wav", 22050, 1, 16, 66150);  // 3 s
        MakeWave(*files / "cd.wav", 44100, 2, 16, 44100);
        MakeWave(*files / "low.wav", 8000, 1, 8, 800);
        MakeWave(*files / "deep.wav", 8000, 2, 24, 800);
        MakeOgg(*files / "tune.ogg", 10000);
    }
    static void TearDownTestSuite() { delete files; }
    void SetUp() override {
        if (std::getenv("ALSOFT_CONF")) GTEST_SKIP() << "the source-stealing run has a device of its own";
        for (int c = 0; c < kChannelCount; ++c) audio->StopChannel(c);
    }
    static String Path(const char* name) { return String((*files / name).c_str()); }
    gxtkSample* Load(const char* name) { return audio->LoadSample(Path(name)); }

    static TempFolder* files;
    gxtkAudio* audio = Device();
};
TempFolder* SampleDevice::files = nullptr;

TEST_F(SampleDevice, ChannelStatesFollowTheSound) {
    EXPECT_NE(audio->channels[kMusicChannel].source, 0u);
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_NONE);
    ASSERT_EQ(audio->PlaySample(Load("tone.wav"), 0, 0), 0);
    struct Step {
        int (gxtkAudio::*action)(int);
        int state;
        ALint source_state;
    } steps[] = {
        {&gxtkAudio::PauseChannel, kChannelPaused, AL_PAUSED},
        {&gxtkAudio::PauseChannel, kChannelPaused, AL_PAUSED},  // only a playing channel pauses
        {&gxtkAudio::ResumeChannel, kChannelPlaying, AL_PLAYING},
        {&gxtkAudio::StopChannel, kChannelStopped, AL_STOPPED},
    };
    for (const Step& step : steps) {
        (audio->*step.action)(0);
        EXPECT_EQ(audio->ChannelState(0), step.state);
        EXPECT_EQ(SourceState(0), step.source_state);
    }
    // A sound that ended by itself is noticed when asked; pausing it only
    // records that it has ended, and resuming does not restart it.
    gxtkSample* blip = Load("blip.wav");
    audio->PlaySample(blip, 1, 0);
    audio->PlaySample(blip, 2, 0);
    ASSERT_TRUE(SourceStops(1) && SourceStops(2));
    EXPECT_EQ(audio->channels[1].state, kChannelPlaying);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);
    audio->PauseChannel(2);
    EXPECT_EQ(audio->channels[2].state, kChannelStopped);
    audio->ResumeChannel(2);
    EXPECT_EQ(SourceState(2), AL_STOPPED);
}

TEST_F(SampleDevice, AnyNonZeroFlagsLoop) {
    gxtkSample* blip = Load("blip.wav");
    for (int flags : {0, 1, 2, -1, 0x100}) {
        audio->PlaySample(blip, 3, flags);
        ALint looping = -1;
        alGetSourcei(audio->channels[3].source, AL_LOOPING, &looping);
        EXPECT_EQ(looping, flags ? AL_TRUE : AL_FALSE) << flags;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);
}

TEST_F(SampleDevice, SuspendAndResumeRestartExactlyThePlayingChannels) {
    gxtkSample* tone = Load("tone.wav");
    audio->PlaySample(tone, 0, 1);  // playing
    audio->PlaySample(tone, 1, 1);  // paused by the program
    audio->PauseChannel(1);
    audio->PlaySample(Load("blip.wav"), 2, 0);  // ends by itself
    audio->PlaySample(tone, 3, 1);  // stopped by the program
    audio->StopChannel(3);
    audio->PlayMusic(Path("tone.wav"), 1);
    ASSERT_TRUE(SourceStops(2));
    audio->Suspend();
    EXPECT_EQ(SourceState(0), AL_PAUSED);
    EXPECT_EQ(SourceState(kMusicChannel), AL_PAUSED);
    EXPECT_EQ(audio->channels[0].state, kChannelPlaying);
    EXPECT_EQ(audio->channels[kMusicChannel].state, kChannelPlaying);
    audio->Resume();
    for (auto [channel, state] : {std::pair{0, AL_PLAYING}, {kMusicChannel, AL_PLAYING}, {1, AL_PAUSED},
                                  {2, AL_STOPPED}, {3, AL_STOPPED}})
        EXPECT_EQ(SourceState(channel), state) << channel;
    EXPECT_EQ(audio->ChannelState(1), kChannelPaused);
}

// 24-bit data has no OpenAL format: the sample exists and plays, silent.
TEST_F(SampleDevice, BuffersGetTheFormatOfTheDecodedData) {
    struct Format {
        const char* file;
        ALint size, channels, bits, rate;
    } formats[] = {{"cd.wav", 44100 * 4, 2, 16, 44100}, {"low.wav", 800, 1, 8, 8000},
                   {"tune.ogg", 10000 * 4, 2, 16, 44100}, {"deep.wav", 0, -1, -1, -1}};
    for (const Format& f : formats) {
        gxtkSample* sample = Load(f.file);
        ASSERT_NE(sample, nullptr) << f.file;
        const ALint expected[] = {f.size, f.channels, f.bits, f.rate};
        const ALenum what[] = {AL_SIZE, AL_CHANNELS, AL_BITS, AL_FREQUENCY};
        for (int i = 0; i < 4; ++i) {
            ALint got = -1;
            alGetBufferi(sample->buffer, what[i], &got);
            if (expected[i] != -1) {
                EXPECT_EQ(got, expected[i]) << f.file << " property " << i;
            }
        }
        EXPECT_EQ(audio->PlaySample(sample, 4, 0), 0) << f.file;
    }
}

// The host counts decoded bytes against the collector's budget; endings in
// capitals decode too, a missing file counts nothing.
TEST_F(SampleDevice, TheHostDecodesAndCountsTheDecodedBytes) {
    std::filesystem::copy_file(*files / "cd.wav", *files / "CD.WAV", std::filesystem::copy_options::overwrite_existing);
    for (const char* name : {"cd.wav", "CD.WAV", "tune.ogg", "missing.wav"}) {
        int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
        int before = gc_read_counters().external_bytes;
        unsigned char* data = CurrentGame()->LoadAudioData(Path(name), &length, &channels, &bytes_per_sample, &rate);
        EXPECT_EQ(data == nullptr, std::string(name) == "missing.wav") << name;
        EXPECT_EQ(gc_read_counters().external_bytes - before, data ? length * channels * bytes_per_sample : 0) << name;
        std::free(data);
    }
}

TEST_F(SampleDevice, UnloadableFilesGiveNoSampleAndNoMusic) {
    std::filesystem::copy_file(*files / "blip.wav", *files / "blip.mp3", std::filesystem::copy_options::overwrite_existing);
    for (const char* name : {"missing.wav", "blip.mp3"}) EXPECT_EQ(Load(name), nullptr) << name;
    EXPECT_EQ(audio->LoadSample(String("vantorix:nowhere/blip.wav")), nullptr);
    EXPECT_EQ(audio->PlayMusic(Path("tune.ogg"), 0), 0);
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPaused);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    // A failed PlayMusic has already stopped what played.
    EXPECT_EQ(audio->PlayMusic(Path("missing.ogg"), 0), -1);
    EXPECT_EQ(audio->MusicState(), kChannelStopped);
}

TEST_F(SampleDevice, VolumePanAndRateReachTheSource) {
    audio->SetVolume(5, 0.25f);
    audio->SetRate(5, 1.5f);
    audio->SetMusicVolume(0.5f);
    ALuint source = audio->channels[5].source;
    ASSERT_NE(source, 0u);
    ALfloat gain = 0, pitch = 0, music = 0, x = 0, y = 1, z = 0;
    alGetSourcef(source, AL_GAIN, &gain);
    alGetSourcef(source, AL_PITCH, &pitch);
    alGetSourcef(audio->channels[kMusicChannel].source, AL_GAIN, &music);
    EXPECT_FLOAT_EQ(gain, 0.25f);
    EXPECT_FLOAT_EQ(pitch, 1.5f);
    EXPECT_FLOAT_EQ(music, 0.5f);
    // A quarter turn is to the right; no turn is straight ahead.
    for (auto [pan, ex, ez] : {std::tuple{1.5707964f, 1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}}) {
        audio->SetPan(5, pan);
        alGetSource3f(source, AL_POSITION, &x, &y, &z);
        EXPECT_FLOAT_EQ(x, ex);
        EXPECT_FLOAT_EQ(y, 0.0f);
        EXPECT_NEAR(z, ez, 1e-6);
    }
}

TEST_F(SampleDevice, DiscardedBuffersAreDeletedOnceDetached) {
    gxtkSample* looped = Load("tone.wav");
    gxtkSample* other = Load("blip.wav");
    ALuint buffer = looped->buffer;
    audio->PlaySample(looped, 0, 1);
    looped->Discard();
    EXPECT_EQ(looped->buffer, 0u);
    // Still attached to a playing or paused source: it survives releases.
    audio->PlaySample(other, 1, 1);
    audio->PauseChannel(0);
    Load("blip.wav");
    EXPECT_TRUE(ListedForDiscard(buffer) && alIsBuffer(buffer));
    // Replaced on its channel, it goes at the next release.
    audio->PlaySample(other, 0, 0);
    audio->PlaySample(other, 2, 0);
    EXPECT_FALSE(ListedForDiscard(buffer) || alIsBuffer(buffer));
    // A channel whose sound ended lets go of its buffer for the release.
    gxtkSample* blip = Load("blip.wav");
    ALuint blip_buffer = blip->buffer;
    audio->PlaySample(blip, 3, 0);
    ASSERT_TRUE(SourceStops(3));
    blip->Discard();
    audio->PlaySample(other, 4, 0);
    EXPECT_FALSE(ListedForDiscard(blip_buffer) || alIsBuffer(blip_buffer));
}

TEST_F(SampleDevice, SoundingSamplesSurviveCollectionAndFinishedOnesGo) {
    CollectEverything();
    ALuint looped, ended, stopped;
    {  // reachable only through the device's channels from here on
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
    EXPECT_FALSE(ListedForDiscard(looped) || ListedForDiscard(stopped));
    ASSERT_TRUE(SourceStops(7));
    audio->StopChannel(8);
    CollectEverything();
    EXPECT_FALSE(ListedForDiscard(looped));
    EXPECT_TRUE(ListedForDiscard(ended) && ListedForDiscard(stopped));
    EXPECT_STREQ(gc_check_heap(), "");
    // The ended sample's buffer is detached and deleted at the next play.
    audio->PlaySample(audio->channels[6].sample, 9, 0);
    EXPECT_FALSE(alIsBuffer(ended));
}

// Run with ALSOFT_CONF=four_sources.conf (its own CTest entry): the music
// holds one source from the start, and a sound channel takes another
// channel's source only once that one's sound has finished or stopped.
TEST(SourceStealing, OnlyFinishedChannelsGiveUpTheirSources) {
    if (!std::getenv("ALSOFT_CONF")) GTEST_SKIP() << "needs its own run with a limit of four sources";
    TempFolder files("audio-stealing");
    MakeWave(files / "blip.wav", 22050, 1, 16, 1100);
    MakeWave(files / "tone.wav", 22050, 1, 16, 22050);
    gxtkAudio* audio = Device();
    gxtkSample* blip = audio->LoadSample(String((files / "blip.wav").c_str()));
    gxtkSample* tone = audio->LoadSample(String((files / "tone.wav").c_str()));
    ASSERT_NE(audio->channels[kMusicChannel].source, 0u);
    for (int c = 0; c < kSoundChannels; ++c) audio->StopChannel(c);  // as new when run again
    ASSERT_EQ(audio->PlaySample(tone, 0, 1), 0);
    ASSERT_EQ(audio->PlaySample(tone, 1, 1), 0);
    ASSERT_EQ(audio->PlaySample(blip, 2, 0), 0);
    ALuint finished = audio->channels[2].source;
    ASSERT_TRUE(SourceStops(2));
    ASSERT_EQ(audio->PlaySample(tone, 5, 1), 0);
    EXPECT_EQ(audio->channels[5].source, finished);
    EXPECT_EQ(audio->channels[2].source, 0u);
    EXPECT_EQ(SourceState(5), AL_PLAYING);

    // Every source sounds or waits paused: nothing to take, nothing changes.
    audio->PauseChannel(1);
    ALuint before[kChannelCount];
    for (int c = 0; c < kChannelCount; ++c) before[c] = audio->channels[c].source;
    EXPECT_EQ(audio->PlaySample(tone, 6, 0), -1);
    EXPECT_EQ(audio->channels[6].state, kChannelStopped);
    EXPECT_NE(audio->channels[6].sample, tone);
    audio->SetVolume(7, 0.5f);  // no source to set it on: no effect
    for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(audio->channels[c].source, before[c]) << c;
    EXPECT_EQ(audio->ChannelState(1), kChannelPaused);

    // A stopped channel's source can be taken, the first in channel order.
    audio->StopChannel(1);
    audio->StopChannel(0);
    ALuint first = audio->channels[0].source;
    ASSERT_EQ(audio->PlaySample(blip, 6, 0), 0);
    EXPECT_EQ(audio->channels[6].source, first);
    EXPECT_EQ(audio->channels[0].source, 0u);
    EXPECT_NE(audio->channels[1].source, 0u);
}

}  // namespace

// Source stealing on a real OpenAL whose source limit is set to four by the
// test's own config file: the music channel holds one from the start, and
// sound channels take the others' sources only once those have finished.
#include <fstream>

#include "tests/audio/audio_device_setup.h"

namespace {

TEST(SourceStealing, OnlyFinishedChannelsGiveUpTheirSources) {
    ScratchFolder files;
    std::ofstream(files / "alsoft.conf") << "[general]\nsources = 4\n";
    MakeWave(files / "blip.wav", 22050, 1, 16, 1100);
    MakeWave(files / "tone.wav", 22050, 1, 16, 22050);
    gxtkAudio* audio = StartTestAudio(files / "alsoft.conf");
    gxtkSample* blip = audio->LoadSample(String((files / "blip.wav").c_str()));
    gxtkSample* tone = audio->LoadSample(String((files / "tone.wav").c_str()));
    ASSERT_NE(audio->channels[kMusicChannel].source, 0u);

    ASSERT_EQ(audio->PlaySample(tone, 0, 1), 0);
    ASSERT_EQ(audio->PlaySample(tone, 1, 1), 0);
    ASSERT_EQ(audio->PlaySample(blip, 2, 0), 0);
    ALuint finished = audio->channels[2].source;
    ASSERT_TRUE(WaitUntilSourceStops(audio, 2));

    // The limit is reached; channel 2's sound has ended, so its source moves.
    ASSERT_EQ(audio->PlaySample(tone, 5, 1), 0);
    EXPECT_EQ(audio->channels[5].source, finished);
    EXPECT_EQ(audio->channels[2].source, 0u);
    EXPECT_EQ(SourceStateOf(audio, 5), AL_PLAYING);

    // Every source sounds or waits paused: nothing to take, nothing changes.
    audio->PauseChannel(1);
    ALuint before[kChannelCount];
    for (int c = 0; c < kChannelCount; ++c) before[c] = audio->channels[c].source;
    EXPECT_EQ(audio->PlaySample(tone, 6, 0), -1);
    EXPECT_EQ(audio->channels[6].state, kChannelStopped);
    EXPECT_EQ(audio->channels[6].sample, nullptr);
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

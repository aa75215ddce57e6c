// The sound decoders and the sample device on a real OpenAL (openal-soft's
// null output, which plays in real time), on files sox and oggenc make at
// test time, damaged copies and the fuzz corpus's hostile streams. A broken
// file gives null, without asking for a block larger than the file.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/gxtk_audio.h"
#include "audio/sound_decoding.h"
#include "host/glfw_game.h"
#include "support/temp_folder.h"

// Linked with malloc and realloc wrapped, to see the largest block asked for.
extern "C" {
void* __real_malloc(size_t size);
void* __real_realloc(void* block, size_t size);
static size_t largest_request = 0;
void* __wrap_malloc(size_t size) {
    largest_request = std::max(largest_request, size);
    return __real_malloc(size);
}
void* __wrap_realloc(void* block, size_t size) {
    largest_request = std::max(largest_request, size);
    return __real_realloc(block, size);
}
}

namespace {

// A 440 Hz tone on the first channel, the others silent; Ogg Vorbis for a
// name ending in .ogg. "-t wavpcm" keeps sox from the extensible header.
void MakeSound(const std::string& path, int rate, int channels, int bits, int frames,
               const std::string& options = "-t wavpcm") {
    bool ogg = path.size() > 4 && path.compare(path.size() - 4, 4, ".ogg") == 0;
    std::string wave = ogg ? path + ".wav" : path;
    std::string command = "sox -D -r " + std::to_string(rate) + " -n -b " + std::to_string(bits) + " " +
                          (ogg ? "" : options) + " '" + wave + "' synth " + std::to_string(frames) +
                          "s sine 440 vol 0.5 remix 1";
    for (int c = 1; c < channels; ++c) command += " 0";
    if (ogg) command += " && oggenc -Q " + options + " '" + wave + "' -o '" + path + "'";
    ASSERT_EQ(Shell(command).status, 0) << command;
}

// The decoded bytes and the numbers given with them (frames, channels, bytes
// per sample, rate), none for null; largest_request is then up to date.
std::pair<std::string, std::vector<int>> Decode(const std::string& path) {
    std::vector<int> f = {-1, -1, -1, -1};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    largest_request = 0;
    unsigned char* data = DecodeSoundFile(file, String(path.c_str()), &f[0], &f[1], &f[2], &f[3]);
    std::fclose(file);
    if (!data) return {};
    std::string bytes(reinterpret_cast<char*>(data), size_t(f[0]) * f[1] * f[2]);
    std::free(data);
    return {bytes, f};
}

// Offsets in the 44-byte header sox writes for integer PCM.
constexpr size_t kFmtSizeAt = 16, kChannelsAt = 22, kBitsAt = 34, kDataAt = 36, kDataSizeAt = 40;

void Put(std::string& b, size_t at, uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// Layouts sox never writes: an 18-byte fmt chunk, a LIST chunk before the
// data; the RIFF size kept right.
void InsertBeforeData(std::string& wave, const std::string& bytes) {
    wave.insert(kDataAt, bytes);
    Put(wave, 4, static_cast<uint32_t>(wave.size() - 8));
}
void Widen(std::string& b) {
    InsertBeforeData(b, std::string(2, '\0'));
    Put(b, kFmtSizeAt, 18);
}
void AddList(std::string& b) { InsertBeforeData(b, std::string("LIST\17\0\0\0INFOISFT\3\0\0\0sox", 23)); }
void Keep(std::string&) {}

// Each variant is made by sox (200 frames), edited, and decoded: it gives
// the data chunk's bytes unchanged, or null. So does every cut file.
TEST(WaveDecoding, EachVariantGivesItsDataChunkOrNull) {
    struct Variant {
        const char* what;
        int rate, channels, bits;
        void (*edit)(std::string&);
        int sound_at;  // -1: no sound
        const char* type = "-t wavpcm";
    } variants[] = {
        {"8-bit mono", 22050, 1, 8, Keep, 44},
        {"16-bit stereo", 44100, 2, 16, Keep, 44},
        {"24-bit stereo", 48000, 2, 24, Keep, 44},
        {"fmt of 18 and LIST", 8000, 1, 16, [](std::string& b) { AddList(b), Widen(b); }, 69},
        {"odd data chunk", 8000, 1, 16, [](std::string& b) { b += 'Z', Put(b, kDataSizeAt, 401); }, 44},
        {"float", 22050, 1, 32, Keep, -1, "-e floating-point"},
        {"LIST before fmt", 8000, 2, 24, [](std::string& b) { b.replace(12, 4, "LIST"); }, -1},
        {"no channels", 8000, 1, 16, [](std::string& b) { Put(b, kChannelsAt, 0, 2); }, -1},
        {"4 bits", 8000, 1, 16, [](std::string& b) { Put(b, kBitsAt, 4, 2); }, -1},
        {"fmt of 14 bytes", 8000, 1, 16, [](std::string& b) { Put(b, kFmtSizeAt, 14); }, -1},
        {"fmt past the end", 8000, 1, 16, [](std::string& b) { Put(b, kFmtSizeAt, 0xFFFFFFF0u); }, -1},
        {"data of 2 GB", 8000, 1, 16, [](std::string& b) { Put(b, kDataSizeAt, 0x7FFFFFF0u); }, -1},
        {"chunk past the end", 8000, 1, 16, [](std::string& b) { AddList(b), Put(b, kDataSizeAt, ~0u); }, -1},
        {"no data chunk", 8000, 1, 16, [](std::string& b) { b.replace(kDataAt, 4, "datb"); }, -1},
    };
    TempFolder folder("wave");
    const std::string path = folder / "variant.wav";
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        MakeSound(path, v.rate, v.channels, v.bits, 200, v.type);
        std::string file = ReadFileBytes(path);
        v.edit(file);
        WriteFileBytes(path, file);
        auto [bytes, format] = Decode(path);
        EXPECT_LE(largest_request, file.size());
        ASSERT_EQ(format.empty(), v.sound_at < 0);
        if (format.empty()) continue;
        EXPECT_EQ(format, std::vector<int>({200, v.channels, v.bits / 8, v.rate}));
        EXPECT_TRUE(bytes == file.substr(v.sound_at, bytes.size()));
    }
    MakeSound(path, 8000, 2, 16, 50);
    const std::string whole = ReadFileBytes(path);
    for (size_t n = 0; n < whole.size(); ++n) {
        WriteFileBytes(path, whole.substr(0, n));
        EXPECT_EQ(Decode(path).second, std::vector<int>()) << n << " bytes";
    }
}

// What the encoder writes at its extremes of quality, channel count, rate
// and comment count decodes to exactly its frames; so do the corpus's seeds,
// and every stream in it found by fuzzing or built by hand (a comment count
// beyond its header, a vendor length of -1, codebooks whose tables would
// wrap int sizes or ask for 16 MB first, set-ups cut short) gives null.
TEST(VorbisDecoding, EncoderOutputDecodesAndHostileStreamsGiveNull) {
    std::string comments;
    for (int i = 0; i < 300; ++i) comments += " -c note" + std::to_string(i) + "=harbor";
    const std::tuple<int, int, std::string> settings[] = {
        {44100, 2, "-q 3"}, {8000, 1, "-q -1"}, {48000, 6, "-q 10"}, {22050, 2, "-q 0" + comments}};
    TempFolder folder("vorbis");
    for (const auto& [rate, channels, options] : settings) {
        MakeSound(folder / "out.ogg", rate, channels, 16, rate / 2, options);
        EXPECT_EQ(Decode(folder / "out.ogg").second, std::vector<int>({rate / 2, channels, 2, rate}));
    }
    int hostile = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(MOONLIT_SOURCE_DIR) +
                                                                 "/tests/fuzz_corpus/vorbis_decoder")) {
        std::string name = entry.path().filename();
        bool seed = name == "mono.ogg" || name == "stereo.ogg";
        std::vector<int> format = Decode(entry.path()).second;
        EXPECT_EQ(format.empty() ? 0 : format[0], seed ? 400 : 0) << name;
        hostile += !seed;
    }
    EXPECT_GE(hostile, 15);
}

// ---- the sample device ----------------------------------------------------

class SampleDevice : public ::testing::Test {
protected:
    // One device for the process; the host's LoadAudioData is what
    // LoadSample calls.
    static void SetUpTestSuite() {
        setenv("ALSOFT_DRIVERS", "null", 1);
        static RtVantorixGame host;
        SetAudioDecoder(DecodeSoundFile);
        gc_init();
        RegisterAudioRoots();
        gc_assign(audioDevice, gc_new<gxtkAudio>());
        MakeSound(files / "blip.wav", 22050, 1, 16, 1100);  // 50 ms
        MakeSound(files / "tone.wav", 22050, 1, 16, 66150);  // 3 s
        MakeSound(files / "cd.wav", 44100, 2, 16, 44100);
        MakeSound(files / "low.wav", 8000, 1, 8, 800);
        MakeSound(files / "deep.wav", 8000, 2, 24, 800);
        MakeSound(files / "tune.ogg", 44100, 2, 16, 10000, "");
        for (auto [from, to] : {std::pair{"cd.wav", "CD.WAV"}, {"low.wav", "low.wave"}, {"tune.ogg", "tune.wav"}})
            std::filesystem::copy_file(files / from, files / to);
    }
    void SetUp() override { for (int c = 0; c < kChannelCount; ++c) audio->StopChannel(c); }
    static String Path(const char* name) { return String((files / name).c_str()); }
    gxtkSample* Load(const char* name) { return audio->LoadSample(Path(name)); }
    ALint SourceState(int channel, ALenum property = AL_SOURCE_STATE) {
        ALint value = 0;
        alGetSourcei(audio->channels[channel].source, property, &value);
        return value;
    }
    // Waits (three seconds at most) for the channel's source to stop by itself.
    bool SourceStops(int channel) {
        for (int i = 0; i < 300 && SourceState(channel) != AL_STOPPED; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return SourceState(channel) == AL_STOPPED;
    }
    // Whether the buffer waits on the discard list, and whether it still exists.
    static std::pair<bool, bool> Discarded(ALuint buffer) {
        const std::vector<ALuint>& list = DiscardedBuffers();
        return {std::find(list.begin(), list.end(), buffer) != list.end(), alIsBuffer(buffer) == AL_TRUE};
    }

    static inline TempFolder files{"audio-device"};
    gxtkAudio* audio = audioDevice;
};

// The ending alone, in any case, picks the decoder; buffers take the decoded
// data's format (24-bit has none: silent, yet it plays); the host counts the
// decoded bytes against the collector's budget.
TEST_F(SampleDevice, BuffersGetTheFormatOfTheDecodedData) {
    const std::tuple<const char*, int, std::vector<ALint>> rows[] = {  // decoded bytes; size, channels, bits, rate
        {"cd.wav", 176400, {176400, 2, 16, 44100}}, {"CD.WAV", 176400, {176400, 2, 16, 44100}},
        {"low.wav", 800, {800, 1, 8, 8000}}, {"tune.ogg", 40000, {40000, 2, 16, 44100}}, {"deep.wav", 4800, {0}},
        {"missing.wav", 0, {}}, {"low.wave", 0, {}}, {"tune.wav", 0, {}}};
    for (const auto& [file, decoded_bytes, expected] : rows) {
        int external_bytes = gc_read_counters().external_bytes;
        gxtkSample* sample = Load(file);
        EXPECT_EQ(gc_read_counters().external_bytes - external_bytes, decoded_bytes) << file;
        ASSERT_EQ(sample != nullptr, decoded_bytes != 0) << file;
        if (!sample) continue;
        std::vector<ALint> format(expected.size());
        const ALenum properties[] = {AL_SIZE, AL_CHANNELS, AL_BITS, AL_FREQUENCY};
        for (size_t i = 0; i < format.size(); ++i) alGetBufferi(sample->buffer, properties[i], &format[i]);
        EXPECT_EQ(format, expected) << file;
        EXPECT_EQ(audio->PlaySample(sample, 4, 0), 0) << file;
    }
}

// The music channel through pause, resume and stop, and the whole device
// suspended and resumed around them: only what the program left playing
// plays again. A sound that ended by itself is noticed when asked, pausing
// it only records that, and nothing restarts it; any flags but 0 loop.
TEST_F(SampleDevice, ChannelStatesFollowTheSound) {
    ASSERT_EQ(audio->PlayMusic(Path("tone.wav"), 0), 0);
    const std::tuple<int (gxtkAudio::*)(), int, ALint> steps[] = {
        {&gxtkAudio::Suspend, kChannelPlaying, AL_PAUSED},     {&gxtkAudio::Resume, kChannelPlaying, AL_PLAYING},
        {&gxtkAudio::PauseMusic, kChannelPaused, AL_PAUSED},   {&gxtkAudio::PauseMusic, kChannelPaused, AL_PAUSED},
        {&gxtkAudio::Suspend, kChannelPaused, AL_PAUSED},      {&gxtkAudio::Resume, kChannelPaused, AL_PAUSED},
        {&gxtkAudio::ResumeMusic, kChannelPlaying, AL_PLAYING}, {&gxtkAudio::StopMusic, kChannelStopped, AL_STOPPED},
        {&gxtkAudio::Resume, kChannelStopped, AL_STOPPED},     {&gxtkAudio::ResumeMusic, kChannelStopped, AL_STOPPED},
    };
    for (const auto& [action, state, source_state] : steps) {
        (audio->*action)();
        EXPECT_EQ(std::pair(audio->MusicState(), SourceState(kMusicChannel)), std::pair(state, source_state));
    }
    gxtkSample* blip = Load("blip.wav");
    audio->PlaySample(blip, 1, -1);
    EXPECT_EQ(SourceState(1, AL_LOOPING), AL_TRUE);
    audio->PlaySample(blip, 1, 0);
    audio->PlaySample(blip, 2, 0);
    ASSERT_TRUE(SourceStops(1) && SourceStops(2));
    audio->Suspend();
    audio->Resume();
    EXPECT_EQ(SourceState(1), AL_STOPPED);
    EXPECT_EQ(audio->channels[1].state, kChannelPlaying);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);
    audio->PauseChannel(2);
    EXPECT_EQ(audio->channels[2].state, kChannelStopped);
    audio->ResumeChannel(2);
    EXPECT_EQ(SourceState(2), AL_STOPPED);
}

// A discarded buffer stays while a playing or paused source holds it, and
// goes at the next release (any play or load) once replaced or ended.
TEST_F(SampleDevice, DiscardedBuffersAreDeletedOnceDetached) {
    gxtkSample* looped = Load("tone.wav");
    gxtkSample* other = Load("blip.wav");
    gxtkSample* ended = Load("blip.wav");
    ALuint buffer = looped->buffer, ended_buffer = ended->buffer;
    audio->PlaySample(looped, 0, 1);
    looped->Discard();
    EXPECT_EQ(looped->buffer, 0u);
    audio->PlaySample(ended, 3, 0);
    audio->PauseChannel(0);
    Load("blip.wav");
    EXPECT_EQ(Discarded(buffer), std::pair(true, true));
    audio->PlaySample(other, 0, 0);
    audio->PlaySample(other, 1, 0);
    EXPECT_EQ(Discarded(buffer), std::pair(false, false));
    ASSERT_TRUE(SourceStops(3));
    ended->Discard();
    audio->PlaySample(other, 2, 0);
    EXPECT_EQ(Discarded(ended_buffer), std::pair(false, false));
}

// The collector keeps a sample that a channel still sounds (looped, or
// paused) and lets the others go; the first cycle may keep what the write
// barrier shaded.
TEST_F(SampleDevice, SoundingSamplesSurviveCollectionAndFinishedOnesGo) {
    auto collect_everything = [] {
        gc_collect_full();
        gc_collect_full();
        gc_reclaim_all();
    };
    ALuint buffers[3];  // looped, ended, paused and later stopped
    for (int i = 0; i < 3; ++i) {  // reachable only through the channels
        gxtkSample* sample = Load(i == 1 ? "blip.wav" : "tone.wav");
        buffers[i] = sample->buffer;
        audio->PlaySample(sample, 6 + i, i == 0);
    }
    audio->PauseChannel(8);
    collect_everything();
    EXPECT_FALSE(Discarded(buffers[0]).first || Discarded(buffers[2]).first);
    ASSERT_TRUE(SourceStops(7));
    audio->StopChannel(8);
    collect_everything();
    EXPECT_FALSE(Discarded(buffers[0]).first);
    EXPECT_TRUE(Discarded(buffers[1]).first && Discarded(buffers[2]).first);
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace

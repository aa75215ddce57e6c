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

// Linked with malloc wrapped, to see the largest block the WAVE decoder asks for.
extern "C" {
void* __real_malloc(size_t size);
static size_t largest_request = 0;
void* __wrap_malloc(size_t size) {
    largest_request = std::max(largest_request, size);
    return __real_malloc(size);
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

// A LIST chunk, which sox never writes.
const std::string kList("LIST\17\0\0\0INFOISFT\3\0\0\0sox", 23);

// Each variant is made by sox (200 frames), edited (the RIFF size kept
// right) and decoded: it gives the data chunk's bytes unchanged, or null;
// cut anywhere short of its data's end, a good one gives null.
TEST(WaveDecoding, EachVariantGivesItsDataChunkOrNull) {
    struct Variant {
        const char* what;
        int rate, channels, bits;
        void (*edit)(std::string&);
        int sound_at;  // -1: no sound
        const char* type = "-t wavpcm";
    } variants[] = {
        {"8-bit mono", 22050, 1, 8, nullptr, 44},
        {"24-bit stereo", 48000, 2, 24, nullptr, 44},
        {"fmt of 18 and LIST", 8000, 1, 16,
         [](std::string& b) { b.insert(kDataAt, std::string(2, '\0') + kList), Put(b, kFmtSizeAt, 18); }, 69},
        {"odd data chunk", 8000, 1, 16, [](std::string& b) { b += 'Z', Put(b, kDataSizeAt, 401); }, 44},
        {"float", 22050, 1, 32, nullptr, -1, "-e floating-point"},
        {"LIST before fmt", 8000, 2, 24, [](std::string& b) { b.replace(12, 4, "LIST"); }, -1},
        {"no channels", 8000, 1, 16, [](std::string& b) { Put(b, kChannelsAt, 0, 2); }, -1},
        {"4 bits", 8000, 1, 16, [](std::string& b) { Put(b, kBitsAt, 4, 2); }, -1},
        {"fmt of 14 bytes", 8000, 1, 16, [](std::string& b) { Put(b, kFmtSizeAt, 14); }, -1},
        {"fmt past the end", 8000, 1, 16, [](std::string& b) { Put(b, kFmtSizeAt, 0xFFFFFFF0u); }, -1},
        {"data of 2 GB", 8000, 1, 16, [](std::string& b) { Put(b, kDataSizeAt, 0x7FFFFFF0u); }, -1},
        {"chunk past the end", 8000, 1, 16,
         [](std::string& b) { b.insert(kDataAt, kList), Put(b, kDataSizeAt, ~0u); }, -1},
        {"no data chunk", 8000, 1, 16, [](std::string& b) { b.replace(kDataAt, 4, "datb"); }, -1},
    };
    TempFolder folder("wave");
    const std::string path = folder / "variant.wav";
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        MakeSound(path, v.rate, v.channels, v.bits, 200, v.type);
        std::string file = ReadFileBytes(path);
        if (v.edit) v.edit(file);
        Put(file, 4, static_cast<uint32_t>(file.size() - 8));
        WriteFileBytes(path, file);
        auto [bytes, format] = Decode(path);
        EXPECT_LE(largest_request, file.size());
        ASSERT_EQ(format.empty(), v.sound_at < 0);
        if (format.empty()) continue;
        EXPECT_EQ(format, std::vector<int>({200, v.channels, v.bits / 8, v.rate}));
        EXPECT_TRUE(bytes == file.substr(v.sound_at, bytes.size()));
        for (size_t n = 0; n < v.sound_at + bytes.size(); ++n) {
            WriteFileBytes(path, file.substr(0, n));
            EXPECT_EQ(Decode(path).second, std::vector<int>()) << n << " bytes";
        }
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
    for (const auto& entry : std::filesystem::directory_iterator(std::string(MOONLIT_SOURCE_DIR) +
                                                                 "/tests/fuzz_corpus/vorbis_decoder")) {
        std::string name = entry.path().filename();
        bool seed = name == "mono.ogg" || name == "stereo.ogg";
        std::vector<int> format = Decode(entry.path()).second;
        EXPECT_EQ(format.empty() ? 0 : format[0], seed ? 400 : 0) << name;
    }
}

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
// plays again.
TEST_F(SampleDevice, MusicStatesFollowTheProgram) {
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
}

// A sample that a channel still sounds (looped: any flags but 0; or paused)
// outlives collection, and its buffer, even discarded, stays. Once the
// channel ends or takes another sample, the next release (any play or load)
// deletes it; pausing an ended sound only records that it ended. The first
// collection may keep what the write barrier shaded.
TEST_F(SampleDevice, BuffersGoOnceNoChannelSoundsThem) {
    auto collect_everything = [] {
        gc_collect_full();
        gc_collect_full();
        gc_reclaim_all();
    };
    gxtkSample* samples[3];  // looped, ended, paused: reachable only through the channels
    ALuint buffers[3];
    for (int i = 0; i < 3; ++i) {
        samples[i] = Load(i == 1 ? "blip.wav" : "tone.wav");
        buffers[i] = samples[i]->buffer;
        audio->PlaySample(samples[i], i, i == 0 ? -1 : 0);
    }
    EXPECT_EQ(SourceState(0, AL_LOOPING), AL_TRUE);
    audio->PauseChannel(2);
    collect_everything();
    EXPECT_FALSE(Discarded(buffers[0]).first || Discarded(buffers[2]).first);
    for (int i = 0; i < 300 && SourceState(1) != AL_STOPPED; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(SourceState(1), AL_STOPPED);
    samples[0]->Discard();
    samples[2]->Discard();
    collect_everything();
    EXPECT_TRUE(Discarded(buffers[1]).first);
    Load("blip.wav");
    EXPECT_EQ(Discarded(buffers[0]), std::pair(true, true));
    EXPECT_EQ(Discarded(buffers[1]), std::pair(false, false));
    EXPECT_EQ(Discarded(buffers[2]), std::pair(true, true));
    audio->PauseChannel(1);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);
    audio->PlaySample(Load("blip.wav"), 2, 0);
    Load("blip.wav");
    EXPECT_EQ(Discarded(buffers[2]), std::pair(false, false));
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace

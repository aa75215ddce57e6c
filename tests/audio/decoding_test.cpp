// The WAVE and Ogg Vorbis decoders and the routing by file ending, on files
// that sox and oggenc make at test time, on damaged and hostile copies of
// them, and on the hostile streams the fuzz target found (its corpus). A
// broken file gives null, without crashing and without asking for a block
// larger than the file.
#include "audio/sound_decoding.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "tests/audio/sound_files.h"

// The test is linked with malloc and realloc wrapped, so that it can see
// the largest block the decoders ask for.
extern "C" {
void* __real_malloc(size_t size);
void* __real_realloc(void* block, size_t size);
static size_t largest_request = 0;
void* __wrap_malloc(size_t size) {
    if (size > largest_request) largest_request = size;
    return __real_malloc(size);
}
void* __wrap_realloc(void* block, size_t size) {
    if (size > largest_request) largest_request = size;
    return __real_realloc(block, size);
}
}

namespace {

struct Decoded {
    unsigned char* data = nullptr;
    int length = -1, channels = -1, bytes_per_sample = -1, rate = -1;
    size_t largest_allocation = 0;
    ~Decoded() { std::free(data); }
    // Root-mean-square of one channel of interleaved 16-bit samples.
    double Level(int channel) const {
        double sum = 0;
        for (int i = 0; i < length; ++i) sum += std::pow(reinterpret_cast<int16_t*>(data)[i * channels + channel], 2);
        return std::sqrt(sum / length);
    }
};

// Decodes the file at path as if it were called `name` (the ending decides).
void Decode(const std::string& path, Decoded& out, const std::string& name = "") {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    largest_request = 0;
    out.data = DecodeSoundFile(file, String((name.empty() ? path : name).c_str()), &out.length, &out.channels,
                               &out.bytes_per_sample, &out.rate);
    out.largest_allocation = largest_request;
    std::fclose(file);
}

void EditNothing(std::string&) {}

// Each variant is made by sox (200 frames), edited, and decoded: it gives
// the data chunk's bytes unchanged, or null.
TEST(WaveDecoding, EachVariantGivesItsDataChunkOrNull) {
    struct Variant {
        const char* what;
        int rate, channels, bits;
        void (*edit)(std::string&);
        bool decodes;
        const char* type = "-t wavpcm";
    } variants[] = {
        {"8-bit mono", 22050, 1, 8, EditNothing, true},
        {"8-bit stereo", 22050, 2, 8, EditNothing, true},
        {"16-bit mono", 8000, 1, 16, EditNothing, true},
        {"16-bit stereo", 44100, 2, 16, EditNothing, true},
        {"24-bit mono", 22050, 1, 24, EditNothing, true},
        {"24-bit stereo", 48000, 2, 24, EditNothing, true},
        {"fmt of 18 bytes", 8000, 1, 16, WidenFmt, true},
        {"LIST chunk", 8000, 1, 16, [](std::string& b) { InsertChunk(b, "LIST", "INFOISFT\3\0\0\0sox"); }, true},
        {"fmt of 18 and fact", 8000, 1, 16, [](std::string& b) { WidenFmt(b), InsertChunk(b, "fact", "\310\0\0\0"); },
         true},
        {"odd data chunk", 8000, 1, 16, [](std::string& b) { b += 'Z', PutU(b, kDataSizeAt, 401); }, true},
        {"float", 22050, 1, 32, EditNothing, false, "-e floating-point"},
        {"extensible", 8000, 2, 24, EditNothing, false, ""},
        {"LIST before fmt", 8000, 2, 24, [](std::string& b) { b.replace(12, 4, "LIST"); }, false},
        {"no channels", 8000, 1, 16, [](std::string& b) { PutU(b, kChannelsAt, 0, 2); }, false},
        {"4 bits", 8000, 1, 16, [](std::string& b) { PutU(b, kBitsAt, 4, 2); }, false},
        {"0 bits", 8000, 1, 16, [](std::string& b) { PutU(b, kBitsAt, 0, 2); }, false},
        {"fmt of 14 bytes", 8000, 1, 16, [](std::string& b) { PutU(b, kFmtSizeAt, 14); }, false},
        {"fmt past the end", 8000, 1, 16, [](std::string& b) { PutU(b, kFmtSizeAt, 0xFFFFFFF0u); }, false},
        {"data one byte too long", 8000, 1, 16, [](std::string& b) { PutU(b, kDataSizeAt, 401); }, false},
        {"data of 2 GB", 8000, 1, 16, [](std::string& b) { PutU(b, kDataSizeAt, 0x7FFFFFF0u); }, false},
        {"data of 4 GB", 8000, 1, 16, [](std::string& b) { PutU(b, kDataSizeAt, 0xFFFFFFFFu); }, false},
        {"chunk past the end", 8000, 1, 16,
         [](std::string& b) { InsertChunk(b, "junk", ""), PutU(b, kDataIdAt + 4, 0xFFFFFF00u); }, false},
        {"no data chunk", 8000, 1, 16, [](std::string& b) { b.replace(kDataIdAt, 4, "datb"); }, false},
    };
    TempFolder folder("wave");
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        std::string path = folder / "variant.wav";
        MakeWave(path, v.rate, v.channels, v.bits, 200, v.type);
        std::string file = ReadFileBytes(path);
        v.edit(file);
        WriteFileBytes(path, file);
        Decoded d;
        Decode(path, d);
        EXPECT_LE(d.largest_allocation, file.size());
        if (!v.decodes) {
            EXPECT_EQ(d.data, nullptr);
            continue;
        }
        ASSERT_NE(d.data, nullptr);
        EXPECT_EQ(d.length, 200);
        EXPECT_EQ(d.channels, v.channels);
        EXPECT_EQ(d.bytes_per_sample, v.bits / 8);
        EXPECT_EQ(d.rate, v.rate);
        size_t data = DataChunkAt(file);
        uint32_t size = LittleEndian(file, data + 4, 4);
        EXPECT_TRUE(std::string(reinterpret_cast<char*>(d.data), size) == file.substr(data + 8, size));
    }
}

TEST(WaveDecoding, EveryTruncationGivesNull) {
    TempFolder folder("wave");
    MakeWave(folder / "whole.wav", 8000, 2, 16, 50);
    const std::string whole = ReadFileBytes(folder / "whole.wav");
    for (size_t n = 0; n < whole.size(); ++n) {
        WriteFileBytes(folder / "cut.wav", whole.substr(0, n));
        Decoded d;
        Decode(folder / "cut.wav", d);
        EXPECT_EQ(d.data, nullptr) << n << " bytes";
    }
}

TEST(SoundRouting, TheEndingAloneChoosesTheDecoder) {
    TempFolder folder("routing");
    MakeWave(folder / "tone.wav", 8000, 1, 8, 100);
    MakeOgg(folder / "tone.ogg", 2000);
    struct Case {
        const char *file, *name;
        bool decodes;
    } cases[] = {
        {"tone.wav", "SOUND.WAV", true},   {"tone.wav", "a/b.Wav", true},
        {"tone.wav", "sound.wave", false}, {"tone.wav", "sound.mp3", false},
        {"tone.wav", "wav", false},        {"tone.ogg", "MUSIC.OGG", true},
        {"tone.ogg", "music.wav", false},  {"tone.wav", "sound.ogg", false},
    };
    for (const Case& c : cases) {
        Decoded d;
        Decode(folder / c.file, d, c.name);
        EXPECT_EQ(d.data != nullptr, c.decodes) << c.file << " as " << c.name;
    }
}

TEST(VorbisDecoding, StereoFileDecodesToExactlyItsFrames) {
    TempFolder folder("vorbis");
    MakeOgg(folder / "stereo.ogg", 10000);
    Decoded d;
    Decode(folder / "stereo.ogg", d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 10000);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.bytes_per_sample, 2);
    EXPECT_EQ(d.rate, 44100);
    // The tone stays on the left: the samples are interleaved as decoded.
    EXPECT_GT(d.Level(0), 5000);
    EXPECT_LT(d.Level(1), 100);
    // The buffer grew by doubling from room for 2 * 4096 samples.
    EXPECT_EQ(d.largest_allocation, sizeof(short) * 8192 * 4);
}

// The header checks pass what the encoder writes at its extremes of quality,
// channel count, rate and comment count, so real files reach the decoder.
TEST(VorbisDecoding, EncoderExtremesPassTheHeaderChecks) {
    struct Setting {
        int rate, channels;
        const char* quality;
        int comments;
    } settings[] = {{8000, 1, "-1", 0}, {44100, 2, "10", 0}, {48000, 6, "10", 0}, {22050, 2, "0", 0},
                    {8000, 1, "3", 300}};
    TempFolder folder("vorbis");
    for (const Setting& s : settings) {
        std::string command = "sox -n -r " + std::to_string(s.rate) + " -b 16 -c " + std::to_string(s.channels) +
                              " '" + (folder / "in.wav") + "' synth 0.5 pinknoise && oggenc -Q -q " + s.quality;
        for (int i = 0; i < s.comments; ++i) command += " -c note" + std::to_string(i) + "=harbor";
        command += " -o '" + (folder / "out.ogg") + "' '" + (folder / "in.wav") + "'";
        ASSERT_EQ(Shell(command).status, 0) << command;
        Decoded d;
        Decode(folder / "out.ogg", d);
        ASSERT_NE(d.data, nullptr) << command;
        EXPECT_EQ(d.channels, s.channels) << command;
        EXPECT_EQ(d.length, s.rate / 2) << command;
    }
}

// The seeds decode; every stream found by fuzzing or built by hand (a
// comment count beyond its header, a vendor length of -1, codebooks whose
// tables would wrap int sizes or ask for 16 MB first, set-ups cut short)
// gives null.
TEST(VorbisDecoding, EveryHostileCorpusStreamGivesNull) {
    const std::map<std::string, int> seeds = {{"mono.ogg", 400}, {"stereo.ogg", 400}};
    const std::filesystem::path corpus = std::string(MOONLIT_SOURCE_DIR) + "/tests/fuzz_corpus/vorbis_decoder";
    int hostile = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::string name = entry.path().filename();
        Decoded d;
        Decode(entry.path(), d);
        auto seed = seeds.find(name);
        if (seed == seeds.end()) {
            EXPECT_EQ(d.data, nullptr) << name;
            ++hostile;
        } else {
            ASSERT_NE(d.data, nullptr) << name;
            EXPECT_EQ(d.length, seed->second) << name;
        }
    }
    EXPECT_GE(hostile, 15);
}

}  // namespace

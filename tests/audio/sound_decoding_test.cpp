// The WAVE and Ogg Vorbis decoders and the routing by file ending, on files
// that sox and oggenc make at test time, and on damaged and hostile copies of
// them, which must give null without crashing or over-allocating.
#include "audio/sound_decoding.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

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
    size_t Bytes() const { return static_cast<size_t>(length) * channels * bytes_per_sample; }
};

// Decodes the file at path under the name `name` (the ending decides).
void Decode(const std::string& path, const std::string& name, Decoded& out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    largest_request = 0;
    out.data = DecodeSoundFile(file, String(name.c_str()), &out.length, &out.channels,
                               &out.bytes_per_sample, &out.rate);
    out.largest_allocation = largest_request;
    std::fclose(file);
}

void Decode(const std::string& path, Decoded& out) { Decode(path, path, out); }

// Root-mean-square of one channel of interleaved 16-bit samples.
double ChannelLevel(const Decoded& d, int channel) {
    auto* samples = reinterpret_cast<const int16_t*>(d.data);
    double sum = 0;
    for (int i = 0; i < d.length; ++i) {
        double s = samples[i * d.channels + channel];
        sum += s * s;
    }
    return std::sqrt(sum / d.length);
}

class WaveDecoding : public ::testing::Test {
protected:
    ScratchFolder dir;
};

TEST_F(WaveDecoding, IntegerFormatsKeepTheFileBytes) {
    for (int bits : {8, 16, 24}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE("bits " + std::to_string(bits) + " channels " + std::to_string(channels));
            std::string path = dir / ("tone" + std::to_string(bits) + "_" + std::to_string(channels) + ".wav");
            MakeWave(path, 22050, channels, bits, 1000);
            Decoded d;
            Decode(path, d);
            ASSERT_NE(d.data, nullptr);
            EXPECT_EQ(d.length, 1000);
            EXPECT_EQ(d.channels, channels);
            EXPECT_EQ(d.bytes_per_sample, bits / 8);
            EXPECT_EQ(d.rate, 22050);
            Bytes file = ReadFile(path);
            ASSERT_EQ(file.size(), kDataAt + d.Bytes());
            EXPECT_EQ(std::memcmp(d.data, file.data() + kDataAt, d.Bytes()), 0);
        }
    }
}

TEST_F(WaveDecoding, OneSecondOfCdStereo) {
    std::string path = dir / "cd.wav";
    MakeWave(path, 44100, 2, 16, 44100);
    Decoded d;
    Decode(path, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.bytes_per_sample, 2);
    EXPECT_EQ(d.rate, 44100);
    EXPECT_GT(ChannelLevel(d, 0), 5000);
    EXPECT_EQ(ChannelLevel(d, 1), 0);
}

TEST_F(WaveDecoding, LongerFmtAndForeignChunksAreSkipped) {
    std::string path = dir / "plain.wav";
    MakeWave(path, 8000, 1, 16, 300);
    Bytes plain = ReadFile(path);
    Bytes pcm(plain.begin() + kDataAt, plain.end());

    Bytes wide = plain;
    WidenFmt(wide);
    Bytes listed = plain;
    InsertChunk(listed, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 's', 'o', 'x'});
    Bytes both = wide;
    InsertChunk(both, "fact", Bytes{44, 1, 0, 0});

    for (auto* variant : {&wide, &listed, &both}) {
        WriteFile(dir / "variant.wav", *variant);
        Decoded d;
        Decode(dir / "variant.wav", d);
        ASSERT_NE(d.data, nullptr);
        EXPECT_EQ(d.length, 300);
        EXPECT_EQ(std::memcmp(d.data, pcm.data(), pcm.size()), 0);
    }
}

TEST_F(WaveDecoding, OddDataChunkIsReadWhole) {
    std::string path = dir / "odd.wav";
    MakeWave(path, 8000, 1, 16, 500);
    Bytes file = ReadFile(path);
    file.push_back(0x5A);
    PutU32(file, kDataSizeAt, 1001);
    WriteFile(path, file);
    Decoded d;
    Decode(path, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 500);
    EXPECT_EQ(d.data[1000], 0x5A);
}

TEST_F(WaveDecoding, NonPcmAndMisplacedChunksGiveNull) {
    MakeFloatWave(dir / "float.wav");
    MakeWave(dir / "wide.wav", 8000, 2, 24, 100);
    RunTool("sox -D -r 8000 -c 2 -n -b 24 " + dir / "extensible.wav" + " synth 100s sine 440");
    Bytes early = ReadFile(dir / "wide.wav");
    std::memcpy(early.data() + 12, "LIST", 4);  // a chunk other than fmt right after WAVE
    WriteFile(dir / "early.wav", early);
    for (const char* name : {"float.wav", "extensible.wav", "early.wav"}) {
        Decoded d;
        Decode(dir / name, d);
        EXPECT_EQ(d.data, nullptr) << name;
    }
}

// Headers that lie: each must give null, and no block larger than the file
// may be asked for on the way.
TEST_F(WaveDecoding, HostileHeadersGiveNullWithoutLargeAllocations) {
    std::string path = dir / "base.wav";
    MakeWave(path, 8000, 1, 16, 200);
    const Bytes base = ReadFile(path);
    struct Case {
        const char* what;
        void (*edit)(Bytes&);
    } cases[] = {
        {"no channels", [](Bytes& b) { PutU16(b, kChannelsAt, 0); }},
        {"4 bits", [](Bytes& b) { PutU16(b, kBitsAt, 4); }},
        {"0 bits", [](Bytes& b) { PutU16(b, kBitsAt, 0); }},
        {"fmt of 14 bytes", [](Bytes& b) { PutU32(b, kFmtSizeAt, 14); }},
        {"fmt past the end", [](Bytes& b) { PutU32(b, kFmtSizeAt, 0xFFFFFFF0u); }},
        {"data one byte too long", [](Bytes& b) { PutU32(b, kDataSizeAt, GetU32(b, kDataSizeAt) + 1); }},
        {"data of 2 GB", [](Bytes& b) { PutU32(b, kDataSizeAt, 0x7FFFFFF0u); }},
        {"data of 4 GB", [](Bytes& b) { PutU32(b, kDataSizeAt, 0xFFFFFFFFu); }},
        {"chunk past the end", [](Bytes& b) { InsertChunk(b, "junk", {}), PutU32(b, kDataIdAt + 4, 0xFFFFFF00u); }},
        {"no data chunk", [](Bytes& b) { std::memcpy(b.data() + kDataIdAt, "datb", 4); }},
    };
    for (const Case& c : cases) {
        Bytes file = base;
        c.edit(file);
        WriteFile(path, file);
        Decoded d;
        Decode(path, d);
        EXPECT_EQ(d.data, nullptr) << c.what;
        EXPECT_LE(d.largest_allocation, file.size()) << c.what;
    }
}

TEST_F(WaveDecoding, EveryTruncationGivesNull) {
    std::string path = dir / "whole.wav";
    MakeWave(path, 8000, 2, 16, 50);
    const Bytes whole = ReadFile(path);
    for (size_t n = 0; n < whole.size(); ++n) {
        WriteFile(path, Bytes(whole.begin(), whole.begin() + n));
        Decoded d;
        Decode(path, d);
        EXPECT_EQ(d.data, nullptr) << n << " bytes";
    }
}

TEST(SoundRouting, TheEndingAloneChoosesTheDecoder) {
    ScratchFolder dir;
    MakeWave(dir / "tone.wav", 8000, 1, 8, 100);
    MakeOgg(dir / "tone.ogg", 2000);
    struct Case {
        const char* file;
        const char* name;
        bool decodes;
    } cases[] = {
        {"tone.wav", "SOUND.WAV", true},   {"tone.wav", "a/b.Wav", true},
        {"tone.wav", "sound.wave", false}, {"tone.wav", "sound.mp3", false},
        {"tone.wav", "wav", false},        {"tone.ogg", "MUSIC.OGG", true},
        {"tone.ogg", "music.wav", false},  {"tone.wav", "sound.ogg", false},
    };
    for (const Case& c : cases) {
        Decoded d;
        Decode(dir / c.file, c.name, d);
        EXPECT_EQ(d.data != nullptr, c.decodes) << c.file << " as " << c.name;
    }
}

class VorbisDecoding : public ::testing::Test {
protected:
    ScratchFolder dir;
};

TEST_F(VorbisDecoding, StereoFileDecodesToExactlyItsFrames) {
    std::string path = dir / "stereo.ogg";
    MakeOgg(path, 10000);
    Decoded d;
    Decode(path, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 10000);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.bytes_per_sample, 2);
    EXPECT_EQ(d.rate, 44100);
    // The tone stays on the left: the samples are interleaved as decoded.
    EXPECT_GT(ChannelLevel(d, 0), 5000);
    EXPECT_LT(ChannelLevel(d, 1), 100);
    // The buffer grew by doubling from room for 2 * 4096 samples.
    EXPECT_EQ(d.largest_allocation, sizeof(short) * 8192 * 4);
}

TEST_F(VorbisDecoding, DamagedFilesNeverCrash) {
    std::string path = dir / "source.ogg";
    MakeOgg(path, 20000);
    const Bytes whole = ReadFile(path);
    // Cut inside the headers: nothing to decode.
    for (size_t n : {size_t(0), size_t(4), size_t(27), size_t(60), size_t(200)}) {
        WriteFile(dir / "cut.ogg", Bytes(whole.begin(), whole.begin() + n));
        Decoded d;
        Decode(dir / "cut.ogg", d);
        EXPECT_EQ(d.data, nullptr) << n;
    }
    // Cut inside the audio: at most what was there.
    for (size_t n = whole.size() / 2; n < whole.size(); n += whole.size() / 8) {
        WriteFile(dir / "cut.ogg", Bytes(whole.begin(), whole.begin() + n));
        Decoded d;
        Decode(dir / "cut.ogg", d);
        if (d.data) {
            EXPECT_LE(d.length, 20000) << n;
        }
    }
    // Bytes overwritten all over the file, and plain noise.
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        Bytes bad = whole;
        for (int k = 0; k < 8; ++k) bad[random() % bad.size()] = static_cast<unsigned char>(random());
        WriteFile(dir / "bad.ogg", bad);
        Decoded d;
        Decode(dir / "bad.ogg", d);
    }
    Bytes noise(4096);
    for (auto& b : noise) b = static_cast<unsigned char>(random());
    WriteFile(dir / "noise.ogg", noise);
    Decoded d;
    Decode(dir / "noise.ogg", d);
    EXPECT_EQ(d.data, nullptr);
}

}  // namespace

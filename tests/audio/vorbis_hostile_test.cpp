// The Ogg Vorbis decoder on the streams the fuzz target found: a comment
// count far beyond its header (the decoder library read through a null
// list), a vendor length of -1 (it wrote before its block), broken set-up
// headers. Each gives null and nothing crashes; real files with many
// comments, made by oggenc, still decode.
// Hand-built set-up headers add codebooks whose tables the decoder library
// would size wrongly, or set 16 MB aside for before finding them broken.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound_decoding.h"
#include "tests/audio/vorbis_stream_builder.h"

namespace {

const std::string kCorpus = std::string(MOONLIT_SOURCE_DIR) + "/tests/fuzz_corpus/vorbis_decoder/";

struct Decoded {
    unsigned char* data = nullptr;
    int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
    ~Decoded() { std::free(data); }
};

void Decode(const std::string& path, Decoded& d) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    d.data = DecodeVorbis(file, &d.length, &d.channels, &d.bytes_per_sample, &d.rate);
    std::fclose(file);
}

}  // namespace

TEST(VorbisHostile, BrokenHeadersGiveNull) {
    // Also: a lookup book of no dimensions (the header check once looped on
    // it for ever) and a book of millions of entries x dimensions that a
    // residue classified with (the decoder spent seconds building lists).
    for (const char* name : {"comment_count_too_large.ogg", "vendor_length_minus_one.ogg", "setup_leak.ogg",
                             "setup_leak_2.ogg", "lookup_book_without_dimensions.ogg",
                             "residue_classes_too_many.ogg"}) {
        Decoded d;
        Decode(kCorpus + name, d);
        EXPECT_EQ(d.data, nullptr) << name;
    }
}

TEST(VorbisHostile, ManyCommentsStillDecode) {
    std::string dir = testing::TempDir();
    std::string wav = dir + "/comments.wav", ogg = dir + "/comments.ogg";
    std::string command = "sox -n -r 8000 -b 16 -c 1 " + wav + " synth 0.1 sine 440 && oggenc -Q -o " + ogg;
    for (int i = 0; i < 300; ++i) command += " -c note" + std::to_string(i) + "=harbor";
    command += " " + wav;
    ASSERT_EQ(std::system(command.c_str()), 0);
    Decoded d;
    Decode(ogg, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 800);
    EXPECT_EQ(d.channels, 1);
    std::remove(wav.c_str());
    std::remove(ogg.c_str());
}

TEST(VorbisHostile, SeedFilesDecode) {
    for (const char* name : {"mono.ogg", "stereo.ogg"}) {
        Decoded d;
        Decode(kCorpus + name, d);
        ASSERT_NE(d.data, nullptr) << name;
        EXPECT_EQ(d.length, 400) << name;
    }
}

namespace {

unsigned char* DecodeStream(const std::string& stream) {
    std::string copy = stream;
    std::FILE* file = fmemopen(copy.data(), copy.size(), "rb");
    if (!file) return nullptr;
    int length = 0, channels = 0, bytes_per_sample = 0, rate = 0;
    unsigned char* data = DecodeVorbis(file, &length, &channels, &bytes_per_sample, &rate);
    std::fclose(file);
    return data;
}

}  // namespace

// A codebook of 65,536 entries in 32,752 dimensions has a value table of
// 2^31 - 2^20 entries. The decoder library's int size for it wraps to
// minus 2 MB, and inside its arena that places the table past the arena's
// end. The same book with per-dimension values has no sound count at all.
TEST(VorbisHostile, CodebookTableBeyondIntSizesGivesNull) {
    TestCodebook book;
    book.entries = 65536;
    book.dimensions = 32752;
    book.ordered = true;
    book.lookup_type = 2;
    EXPECT_EQ(DecodeStream(StreamWithCodebook(book)), nullptr);
    book.lookup_type = 1;
    EXPECT_EQ(DecodeStream(StreamWithCodebook(book)), nullptr);
}

// A sparse codebook spends at least one bit per entry, so one with more
// entries than its packet has bits is broken; the decoder library would
// set 16 MB aside for it before finding out.
TEST(VorbisHostile, SparseCodebookLargerThanItsPacketGivesNull) {
    TestCodebook book;
    book.entries = 0xffffff;
    book.sparse = true;
    EXPECT_EQ(DecodeStream(StreamWithCodebook(book)), nullptr);
}

// The builder itself writes streams the decoder reads up to the set-up: a
// small well-formed codebook is refused only for what follows it, and a
// stream with the set-up cut off entirely is refused as well.
TEST(VorbisHostile, HandBuiltHeadersAreRefusedWithoutHarm) {
    EXPECT_EQ(DecodeStream(StreamWithCodebook(TestCodebook{})), nullptr);
    std::string stream = StreamWithCodebook(TestCodebook{});
    EXPECT_EQ(DecodeStream(stream.substr(0, stream.size() / 2)), nullptr);
    TestCodebook empty;
    empty.entries = 0;
    empty.dimensions = 0;
    empty.lookup_type = 1;
    EXPECT_EQ(DecodeStream(StreamWithCodebook(empty)), nullptr);
}

// The header checks pass what the encoder writes at its extremes of quality,
// channel count and rate, so real files still reach the decoder.
TEST(VorbisHostile, EncoderSettingsPassTheHeaderChecks) {
    struct Setting {
        int rate, channels;
        const char* quality;
    };
    std::string dir = testing::TempDir();
    for (Setting s : {Setting{8000, 1, "-1"}, Setting{44100, 2, "10"}, Setting{48000, 6, "10"},
                      Setting{22050, 2, "0"}}) {
        std::string wav = dir + "/settings.wav", ogg = dir + "/settings.ogg";
        std::string command = "sox -n -r " + std::to_string(s.rate) + " -b 16 -c " + std::to_string(s.channels) +
                              " " + wav + " synth 0.5 pinknoise && oggenc -Q -q " + s.quality + " -o " + ogg +
                              " " + wav;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Decoded d;
        Decode(ogg, d);
        ASSERT_NE(d.data, nullptr) << command;
        EXPECT_EQ(d.channels, s.channels) << command;
        EXPECT_EQ(d.length, s.rate / 2) << command;
        std::remove(wav.c_str());
        std::remove(ogg.c_str());
    }
}

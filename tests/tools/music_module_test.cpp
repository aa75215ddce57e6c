// The demo's music module: make-music makes the committed data/spartanic.xm
// byte for byte, and the file reads back, by a reader of its own, as an
// 8-channel module of well-formed packed patterns and delta-encoded samples
// that plays for over a minute with the effects of chip music.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "instruments.h"
#include "score.h"
#include "song.h"
#include "xm_format.h"
#include "xm_reader.h"

namespace {

namespace fs = std::filesystem;
namespace xm = moonlit::music::xm;
const std::string kModulePath = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

xmread::Module ReadCommitted() {
    xmread::Module m;
    std::string error;
    std::vector<std::uint8_t> bytes = ReadBytes(kModulePath);
    EXPECT_FALSE(bytes.empty()) << kModulePath << " is missing";
    EXPECT_TRUE(xmread::Read(bytes, &m, &error)) << error;
    EXPECT_EQ(m.bytes_read, bytes.size()) << "bytes left over after the last sample";
    return m;
}

TEST(MusicModule, GeneratorIsDeterministic) {
    EXPECT_EQ(moonlit::music::MakeDemoModuleFile(), moonlit::music::MakeDemoModuleFile());
}

TEST(MusicModule, CommittedFileIsWhatTheGeneratorMakes) {
    std::vector<std::uint8_t> committed = ReadBytes(kModulePath);
    ASSERT_FALSE(committed.empty()) << kModulePath << " is missing";
    EXPECT_TRUE(moonlit::music::MakeDemoModuleFile() == committed)
        << "data/spartanic.xm is stale: re-make it with `cmake --build <dir> --target music`";
}

TEST(MusicModule, ProgramRewritesTheFileByteForByte) {
    char dir_template[] = "/tmp/moonlit-music-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const fs::path out = fs::path(dir_template) / "spartanic.xm";
    const std::string command = std::string(MAKE_MUSIC_PROGRAM) + " " + out.string() + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(ReadBytes(out.string()) == ReadBytes(kModulePath));
    fs::remove_all(dir_template);
}

TEST(MusicModule, HeaderDescribesAnEightChannelSong) {
    const xmread::Module m = ReadCommitted();
    const auto& score = moonlit::music::MoonlitHarborScore();
    EXPECT_EQ(m.signature, "Extended Module: ");
    EXPECT_EQ(m.marker, 0x1A);
    EXPECT_EQ(m.version, 0x0104);
    EXPECT_EQ(m.header_size, 276u);
    EXPECT_EQ(m.name, score.title);
    EXPECT_FALSE(m.name.empty());
    EXPECT_LE(m.name.size(), 20u);
    EXPECT_EQ(m.channels, 8);
    EXPECT_EQ(m.flags & 1, 1) << "linear frequency table";
    EXPECT_EQ(m.speed, score.speed);
    EXPECT_EQ(m.bpm, score.bpm);
    EXPECT_EQ(m.song_length, static_cast<int>(score.sections.size()));
    EXPECT_GT(m.restart, 0) << "the intro should play only once";
    EXPECT_LT(m.restart, m.song_length);
    EXPECT_EQ(m.instrument_count, moonlit::music::kInstrumentCount);
    for (std::uint8_t p : m.order) EXPECT_LT(p, m.pattern_count);
}

TEST(MusicModule, PatternsUnpackToTheArrangedCells) {
    const xmread::Module m = ReadCommitted();
    const xm::Module made = moonlit::music::MakeModule(moonlit::music::MoonlitHarborScore());
    ASSERT_EQ(m.pattern_count, static_cast<int>(made.patterns.size()));
    for (int p = 0; p < m.pattern_count; ++p) {
        const xmread::Pattern& read = m.patterns[p];
        EXPECT_EQ(read.header_size, 9u);
        EXPECT_EQ(read.packing, 0);
        EXPECT_EQ(read.rows, 64);
        // Packing pays: far below five bytes a cell.
        EXPECT_LT(read.packed_size, 64 * 8 * 3);
        ASSERT_EQ(read.cells.size(), made.patterns[p].cells.size());
        for (std::size_t i = 0; i < read.cells.size(); ++i) {
            const xmread::Cell& a = read.cells[i];
            const xm::Cell& b = made.patterns[p].cells[i];
            ASSERT_TRUE(a.note == b.note && a.instrument == b.instrument && a.volume == b.volume &&
                        a.effect == b.effect && a.param == b.param)
                << "pattern " << p << " row " << i / 8 << " channel " << i % 8;
            EXPECT_LE(a.note, 97);
            EXPECT_LE(a.instrument, m.instrument_count);
            EXPECT_TRUE(a.volume == 0 || (a.volume >= 0x10 && a.volume <= 0x50));
        }
    }
}

TEST(MusicModule, SamplesDecodeToTheSynthesisedFrames) {
    const xmread::Module m = ReadCommitted();
    const std::vector<xm::Instrument> made = moonlit::music::MakeInstruments();
    ASSERT_EQ(m.instruments.size(), made.size());
    std::size_t sample_bytes = 0;
    bool eight_bit = false, sixteen_bit = false;
    for (std::size_t i = 0; i < made.size(); ++i) {
        const xmread::Instrument& ins = m.instruments[i];
        SCOPED_TRACE(ins.name);
        EXPECT_EQ(ins.header_size, 263u);
        EXPECT_EQ(ins.sample_header_size, 40u);
        ASSERT_EQ(ins.sample_count, 1);
        const xmread::Sample& s = ins.samples[0];
        const int width = s.SixteenBit() ? 2 : 1;
        (s.SixteenBit() ? sixteen_bit : eight_bit) = true;
        EXPECT_EQ(s.length_bytes, made[i].sample.frames.size() * width);
        EXPECT_EQ(s.frames, std::vector<int>(made[i].sample.frames.begin(), made[i].sample.frames.end()));
        EXPECT_LE(s.volume, 64);
        EXPECT_EQ(s.reserved, 0) << "plain delta encoding";
        if (s.LoopType() != 0) {
            EXPECT_GT(s.loop_length_bytes, 0u);
            EXPECT_LE(s.loop_start_bytes + s.loop_length_bytes, s.length_bytes);
            EXPECT_EQ(s.loop_length_bytes % width, 0u);
        }
        // Every instrument shapes its notes with a volume envelope.
        EXPECT_EQ(ins.volume_type & 1, 1);
        ASSERT_FALSE(ins.volume_envelope.empty());
        EXPECT_EQ(ins.volume_envelope.front().first, 0);
        for (std::size_t k = 1; k < ins.volume_envelope.size(); ++k)
            EXPECT_GT(ins.volume_envelope[k].first, ins.volume_envelope[k - 1].first);
        for (const auto& point : ins.volume_envelope) EXPECT_LE(point.second, 64);
        sample_bytes += s.length_bytes;
    }
    EXPECT_TRUE(eight_bit && sixteen_bit);
    // Short cycles and short drums: the file stays small.
    EXPECT_LT(sample_bytes, 32u * 1024);
    EXPECT_LT(ReadBytes(kModulePath).size(), 64u * 1024);
}

TEST(MusicModule, UsesArpeggiosVibratoAndSlides) {
    const xmread::Module m = ReadCommitted();
    std::set<int> effects;
    std::set<int> arpeggios;
    std::set<int> channels_used;
    for (std::uint8_t p : m.order) {
        const xmread::Pattern& pattern = m.patterns[p];
        for (std::size_t i = 0; i < pattern.cells.size(); ++i) {
            const xmread::Cell& c = pattern.cells[i];
            if (c.effect != 0 || c.param != 0) effects.insert(c.effect);
            if (c.effect == 0 && c.param != 0) arpeggios.insert(c.param);
            if (c.note) channels_used.insert(static_cast<int>(i % m.channels));
        }
    }
    for (int effect : {0x0, 0x1, 0x2, 0x3, 0x4}) EXPECT_TRUE(effects.count(effect)) << "effect " << effect;
    EXPECT_GE(arpeggios.size(), 2u) << "major and minor chords";
    EXPECT_EQ(channels_used.size(), 8u);
    // No jumps, breaks or tempo changes: the order list plays straight
    // through at the header's speed, so its length in rows is its time.
    for (int effect : {0xB, 0xD, 0xF}) EXPECT_FALSE(effects.count(effect)) << "effect " << effect;
}

TEST(MusicModule, PlaysOverAMinuteBeforeLooping) {
    const xmread::Module m = ReadCommitted();
    long rows = 0;
    for (std::uint8_t p : m.order) rows += m.patterns[p].rows;
    const double seconds = rows * m.speed * 2.5 / m.bpm;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 180.0);
}

TEST(MusicModule, IsATuneNotATestTone) {
    const xmread::Module m = ReadCommitted();
    std::set<int> lead_notes, bass_notes;
    std::set<std::vector<int>> lead_bars;
    for (std::uint8_t p : m.order) {
        const xmread::Pattern& pattern = m.patterns[p];
        for (int bar = 0; bar < pattern.rows / 16; ++bar) {
            std::vector<int> notes;
            for (int r = bar * 16; r < bar * 16 + 16; ++r) {
                int lead = pattern.cells[r * m.channels + 0].note;
                int bass = pattern.cells[r * m.channels + 3].note;
                if (lead >= 1 && lead <= 96) {
                    lead_notes.insert(lead);
                    notes.push_back(r % 16 * 100 + lead);
                }
                if (bass >= 1 && bass <= 96) bass_notes.insert(bass);
            }
            if (!notes.empty()) lead_bars.insert(notes);
        }
    }
    EXPECT_GE(lead_notes.size(), 15u) << "a melody that moves";
    EXPECT_GE(lead_bars.size(), 16u) << "phrases that vary";
    EXPECT_GE(bass_notes.size(), 10u) << "a bass line under changing chords";
    std::set<int> distinct_patterns(m.order.begin(), m.order.end());
    EXPECT_GE(distinct_patterns.size(), 8u) << "sections";
}

// The writer on its own, with cells and frames small enough to check by hand.

TEST(XmWriter, PacksCellsWithFlagBytesAndFullCellsPlain) {
    xm::Pattern p(1, 4);
    p.At(0, 1).note = 49;
    p.At(0, 2) = {49, 1, 0x30, 0x4, 0x53};
    p.At(0, 3).effect = 0;
    p.At(0, 3).param = 0x37;
    const std::vector<std::uint8_t> expected = {0x80, 0x81, 49, 49, 1, 0x30, 0x4, 0x53, 0x90, 0x37};
    EXPECT_EQ(xm::PackPattern(p), expected);
}

TEST(XmWriter, DeltaEncodesEightAndSixteenBitFrames) {
    xm::Module m;
    m.name = "t";
    m.tracker = "t";
    m.channels = 2;
    m.order = {0};
    m.patterns.emplace_back(1, 2);
    xm::Instrument a;
    a.sample.frames = {0, 10, 5, -128, 127};
    xm::Instrument b;
    b.sample.sixteen_bit = true;
    b.sample.frames = {1000, -1000, 32767, -32768};
    m.instruments = {a, b};
    const std::vector<std::uint8_t> bytes = xm::WriteModule(m);
    // The file ends with the 16-bit deltas, after the 8-bit ones.
    // 8-bit: 0, +10, -5, -133 and +255 wrapped to a byte; 16-bit: +1000,
    // -2000, +33767 and -65535 wrapped to 16 bits, little-endian.
    const std::vector<std::uint8_t> tail = {0,    10,   0xFB, 0x7B, 0xFF,
                                            0xE8, 0x03, 0x30, 0xF8, 0xE7, 0x83, 0x01, 0x00};
    ASSERT_GE(bytes.size(), tail.size() + 263);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 5 - 8 - 263 - 40, bytes.end() - 8 - 263 - 40),
              std::vector<std::uint8_t>(tail.begin(), tail.begin() + 5));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 8, bytes.end()),
              std::vector<std::uint8_t>(tail.begin() + 5, tail.end()));

    xmread::Module r;
    std::string error;
    ASSERT_TRUE(xmread::Read(bytes, &r, &error)) << error;
    EXPECT_EQ(r.instruments[0].samples[0].frames, (std::vector<int>{0, 10, 5, -128, 127}));
    EXPECT_EQ(r.instruments[1].samples[0].frames, (std::vector<int>{1000, -1000, 32767, -32768}));
    EXPECT_EQ(r.instruments[1].samples[0].length_bytes, 8u);
    EXPECT_EQ(r.bytes_read, bytes.size());
}

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    xm::Module m;
    m.name = "ok";
    m.channels = 2;
    m.order = {0};
    m.patterns.emplace_back(4, 2);
    EXPECT_NO_THROW(xm::WriteModule(m));

    xm::Module long_name = m;
    long_name.name = "twenty-one characters";
    EXPECT_THROW(xm::WriteModule(long_name), std::invalid_argument);

    xm::Module bad_note = m;
    bad_note.patterns[0].At(0, 0).note = 98;
    EXPECT_THROW(xm::WriteModule(bad_note), std::invalid_argument);

    xm::Module missing_pattern = m;
    missing_pattern.order = {1};
    EXPECT_THROW(xm::WriteModule(missing_pattern), std::invalid_argument);

    xm::Module loud_frame = m;
    loud_frame.instruments.emplace_back();
    loud_frame.instruments[0].sample.frames = {200};
    EXPECT_THROW(xm::WriteModule(loud_frame), std::invalid_argument);
}

}  // namespace

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
    EXPECT_EQ(m.bytesRead, bytes.size()) << "bytes left over after the last sample";
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
    char dirTemplate[] = "/tmp/moonlit-music-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const fs::path out = fs::path(dirTemplate) / "spartanic.xm";
    const std::string command = std::string(MAKE_MUSIC_PROGRAM) + " " + out.string() + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(ReadBytes(out.string()) == ReadBytes(kModulePath));
    fs::remove_all(dirTemplate);
}

TEST(MusicModule, HeaderDescribesAnEightChannelSong) {
    const xmread::Module m = ReadCommitted();
    const auto& score = moonlit::music::MoonlitHarborScore();
    EXPECT_EQ(m.signature, "Extended Module: ");
    EXPECT_EQ(m.marker, 0x1A);
    EXPECT_EQ(m.version, 0x0104);
    EXPECT_EQ(m.headerSize, 276u);
    EXPECT_EQ(m.name, score.title);
    EXPECT_FALSE(m.name.empty());
    EXPECT_LE(m.name.size(), 20u);
    EXPECT_EQ(m.channels, 8);
    EXPECT_EQ(m.flags & 1, 1) << "linear frequency table";
    EXPECT_EQ(m.speed, score.speed);
    EXPECT_EQ(m.bpm, score.bpm);
    EXPECT_EQ(m.songLength, static_cast<int>(score.sections.size()));
    EXPECT_GT(m.restart, 0) << "the intro should play only once";
    EXPECT_LT(m.restart, m.songLength);
    EXPECT_EQ(m.instrumentCount, moonlit::music::kInstrumentCount);
    for (std::uint8_t p : m.order) EXPECT_LT(p, m.patternCount);
}

TEST(MusicModule, PatternsUnpackToTheArrangedCells) {
    const xmread::Module m = ReadCommitted();
    const xm::Module made = moonlit::music::MakeModule(moonlit::music::MoonlitHarborScore());
    ASSERT_EQ(m.patternCount, static_cast<int>(made.patterns.size()));
    for (int p = 0; p < m.patternCount; ++p) {
        const xmread::Pattern& read = m.patterns[p];
        EXPECT_EQ(read.headerSize, 9u);
        EXPECT_EQ(read.packing, 0);
        EXPECT_EQ(read.rows, 64);
        // Packing pays: far below five bytes a cell.
        EXPECT_LT(read.packedSize, 64 * 8 * 3);
        ASSERT_EQ(read.cells.size(), made.patterns[p].cells.size());
        for (std::size_t i = 0; i < read.cells.size(); ++i) {
            const xmread::Cell& a = read.cells[i];
            const xm::Cell& b = made.patterns[p].cells[i];
            ASSERT_TRUE(a.note == b.note && a.instrument == b.instrument && a.volume == b.volume &&
                        a.effect == b.effect && a.param == b.param)
                << "pattern " << p << " row " << i / 8 << " channel " << i % 8;
            EXPECT_LE(a.note, 97);
            EXPECT_LE(a.instrument, m.instrumentCount);
            EXPECT_TRUE(a.volume == 0 || (a.volume >= 0x10 && a.volume <= 0x50));
        }
    }
}

TEST(MusicModule, SamplesDecodeToTheSynthesisedFrames) {
    const xmread::Module m = ReadCommitted();
    const std::vector<xm::Instrument> made = moonlit::music::MakeInstruments();
    ASSERT_EQ(m.instruments.size(), made.size());
    std::size_t sampleBytes = 0;
    bool eightBit = false, sixteenBit = false;
    for (std::size_t i = 0; i < made.size(); ++i) {
        const xmread::Instrument& ins = m.instruments[i];
        SCOPED_TRACE(ins.name);
        EXPECT_EQ(ins.headerSize, 263u);
        EXPECT_EQ(ins.sampleHeaderSize, 40u);
        ASSERT_EQ(ins.sampleCount, 1);
        const xmread::Sample& s = ins.samples[0];
        const int width = s.SixteenBit() ? 2 : 1;
        (s.SixteenBit() ? sixteenBit : eightBit) = true;
        EXPECT_EQ(s.lengthBytes, made[i].sample.frames.size() * width);
        EXPECT_EQ(s.frames, std::vector<int>(made[i].sample.frames.begin(), made[i].sample.frames.end()));
        EXPECT_LE(s.volume, 64);
        EXPECT_EQ(s.reserved, 0) << "plain delta encoding";
        if (s.LoopType() != 0) {
            EXPECT_GT(s.loopLengthBytes, 0u);
            EXPECT_LE(s.loopStartBytes + s.loopLengthBytes, s.lengthBytes);
            EXPECT_EQ(s.loopLengthBytes % width, 0u);
        }
        // Every instrument shapes its notes with a volume envelope.
        EXPECT_EQ(ins.volumeType & 1, 1);
        ASSERT_FALSE(ins.volumeEnvelope.empty());
        EXPECT_EQ(ins.volumeEnvelope.front().first, 0);
        for (std::size_t k = 1; k < ins.volumeEnvelope.size(); ++k)
            EXPECT_GT(ins.volumeEnvelope[k].first, ins.volumeEnvelope[k - 1].first);
        for (const auto& point : ins.volumeEnvelope) EXPECT_LE(point.second, 64);
        sampleBytes += s.lengthBytes;
    }
    EXPECT_TRUE(eightBit && sixteenBit);
    // Short cycles and short drums: the file stays small.
    EXPECT_LT(sampleBytes, 32u * 1024);
    EXPECT_LT(ReadBytes(kModulePath).size(), 64u * 1024);
}

TEST(MusicModule, UsesArpeggiosVibratoAndSlides) {
    const xmread::Module m = ReadCommitted();
    std::set<int> effects;
    std::set<int> arpeggios;
    std::set<int> channelsUsed;
    for (std::uint8_t p : m.order) {
        const xmread::Pattern& pattern = m.patterns[p];
        for (std::size_t i = 0; i < pattern.cells.size(); ++i) {
            const xmread::Cell& c = pattern.cells[i];
            if (c.effect != 0 || c.param != 0) effects.insert(c.effect);
            if (c.effect == 0 && c.param != 0) arpeggios.insert(c.param);
            if (c.note) channelsUsed.insert(static_cast<int>(i % m.channels));
        }
    }
    for (int effect : {0x0, 0x1, 0x2, 0x3, 0x4}) EXPECT_TRUE(effects.count(effect)) << "effect " << effect;
    EXPECT_GE(arpeggios.size(), 2u) << "major and minor chords";
    EXPECT_EQ(channelsUsed.size(), 8u);
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
    std::set<int> leadNotes, bassNotes;
    std::set<std::vector<int>> leadBars;
    for (std::uint8_t p : m.order) {
        const xmread::Pattern& pattern = m.patterns[p];
        for (int bar = 0; bar < pattern.rows / 16; ++bar) {
            std::vector<int> notes;
            for (int r = bar * 16; r < bar * 16 + 16; ++r) {
                int lead = pattern.cells[r * m.channels + 0].note;
                int bass = pattern.cells[r * m.channels + 3].note;
                if (lead >= 1 && lead <= 96) {
                    leadNotes.insert(lead);
                    notes.push_back(r % 16 * 100 + lead);
                }
                if (bass >= 1 && bass <= 96) bassNotes.insert(bass);
            }
            if (!notes.empty()) leadBars.insert(notes);
        }
    }
    EXPECT_GE(leadNotes.size(), 15u) << "a melody that moves";
    EXPECT_GE(leadBars.size(), 16u) << "phrases that vary";
    EXPECT_GE(bassNotes.size(), 10u) << "a bass line under changing chords";
    std::set<int> distinctPatterns(m.order.begin(), m.order.end());
    EXPECT_GE(distinctPatterns.size(), 8u) << "sections";
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
    b.sample.sixteenBit = true;
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
    EXPECT_EQ(r.instruments[1].samples[0].lengthBytes, 8u);
    EXPECT_EQ(r.bytesRead, bytes.size());
}

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    xm::Module m;
    m.name = "ok";
    m.channels = 2;
    m.order = {0};
    m.patterns.emplace_back(4, 2);
    EXPECT_NO_THROW(xm::WriteModule(m));

    xm::Module longName = m;
    longName.name = "twenty-one characters";
    EXPECT_THROW(xm::WriteModule(longName), std::invalid_argument);

    xm::Module badNote = m;
    badNote.patterns[0].At(0, 0).note = 98;
    EXPECT_THROW(xm::WriteModule(badNote), std::invalid_argument);

    xm::Module missingPattern = m;
    missingPattern.order = {1};
    EXPECT_THROW(xm::WriteModule(missingPattern), std::invalid_argument);

    xm::Module loudFrame = m;
    loudFrame.instruments.emplace_back();
    loudFrame.instruments[0].sample.frames = {200};
    EXPECT_THROW(xm::WriteModule(loudFrame), std::invalid_argument);
}

}  // namespace

#include "xm_format.h"

#include <stdexcept>

namespace moonlit::music::xm {

namespace {

constexpr std::uint32_t kSongHeaderSize = 276;        // from the size field to the end of the order table
constexpr std::uint32_t kPatternHeaderSize = 9;
constexpr std::uint32_t kInstrumentHeaderSize = 263;  // with samples: up to and including the reserved bytes
constexpr std::uint32_t kSampleHeaderSize = 40;
constexpr int kMaxEnvelopePoints = 12;

class ByteWriter {
public:
    void U8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void U16(unsigned v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // A fixed-width text field, padded with zero bytes.
    void Text(const std::string& text, std::size_t width, const char* what) {
        if (text.size() > width) throw std::invalid_argument(std::string(what) + " longer than the field");
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.insert(bytes.end(), width - text.size(), 0);
    }
    void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
    void Bytes(const std::vector<std::uint8_t>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    std::vector<std::uint8_t> Take() { return std::move(bytes); }

private:
    std::vector<std::uint8_t> bytes;
};

void Require(bool ok, const char* message) {
    if (!ok) throw std::invalid_argument(message);
}

void CheckCell(const Cell& c, int instrument_count) {
    Require(c.note <= kKeyOff, "note out of range");
    Require(c.instrument <= instrument_count, "cell names a missing instrument");
    Require(c.volume == 0 || (c.volume >= 0x10 && c.volume <= 0x50) || c.volume >= 0x60,
            "volume column value out of range");
}

// Frames as stored: each value minus the one before it, wrapping at the
// sample's width; the first is taken against zero.
void WriteDeltas(ByteWriter& out, const Sample& s) {
    int previous = 0;
    for (std::int16_t frame : s.frames) {
        int delta = frame - previous;
        previous = frame;
        if (s.sixteen_bit)
            out.U16(static_cast<std::uint16_t>(delta));
        else
            out.U8(static_cast<std::uint8_t>(delta));
    }
}

void CheckSample(const Sample& s) {
    for (std::int16_t f : s.frames)
        Require(s.sixteen_bit || (f >= -128 && f <= 127), "8-bit sample frame out of range");
    Require(s.volume <= 64, "sample volume above 64");
    if (s.loop != Loop::kNone) {
        Require(s.loop_length > 0, "looped sample with an empty loop");
        Require(s.loop_start + s.loop_length <= s.frames.size(), "sample loop past the end");
    }
}

void WriteInstrument(ByteWriter& out, const Instrument& ins) {
    const Sample& s = ins.sample;
    const Envelope& env = ins.volume_envelope;
    CheckSample(s);
    Require(env.points.size() <= kMaxEnvelopePoints, "more than 12 envelope points");
    Require(env.points.empty() || env.points.front().tick == 0, "envelope must start at tick 0");
    for (std::size_t i = 0; i < env.points.size(); ++i) {
        Require(env.points[i].value <= 64, "envelope value above 64");
        Require(i == 0 || env.points[i].tick > env.points[i - 1].tick, "envelope ticks must rise");
    }
    Require(env.sustain_point < static_cast<int>(env.points.size()), "sustain point past the envelope");

    out.U32(kInstrumentHeaderSize);
    out.Text(ins.name, 22, "instrument name");
    out.U8(0);   // type
    out.U16(1);  // one sample
    out.U32(kSampleHeaderSize);
    out.Zeros(96);  // every note plays sample 0
    for (int i = 0; i < kMaxEnvelopePoints; ++i) {
        if (i < static_cast<int>(env.points.size())) {
            out.U16(env.points[i].tick);
            out.U16(env.points[i].value);
        } else {
            out.U32(0);
        }
    }
    out.Zeros(kMaxEnvelopePoints * 4);  // no panning envelope
    out.U8(env.points.size());
    out.U8(0);
    out.U8(env.sustain_point < 0 ? 0 : env.sustain_point);
    out.U8(0);  // volume loop start and end (unused)
    out.U8(0);
    out.U8(0);  // panning sustain, loop start, loop end
    out.U8(0);
    out.U8(0);
    unsigned volume_type = env.points.empty() ? 0 : 1;
    if (!env.points.empty() && env.sustain_point >= 0) volume_type |= 2;
    out.U8(volume_type);
    out.U8(0);  // panning envelope off
    out.Zeros(4);  // no automatic vibrato
    out.U16(ins.fadeout);
    out.Zeros(22);  // reserved

    const std::uint32_t width = s.sixteen_bit ? 2 : 1;
    out.U32(static_cast<std::uint32_t>(s.frames.size()) * width);
    out.U32(s.loop == Loop::kNone ? 0 : s.loop_start * width);
    out.U32(s.loop == Loop::kNone ? 0 : s.loop_length * width);
    out.U8(s.volume);
    out.U8(static_cast<std::uint8_t>(s.finetune));
    out.U8(static_cast<unsigned>(s.loop) | (s.sixteen_bit ? 0x10 : 0));
    out.U8(s.panning);
    out.U8(static_cast<std::uint8_t>(s.relative_note));
    out.U8(0);  // plain delta encoding
    out.Text(s.name, 22, "sample name");
    WriteDeltas(out, s);
}

}  // namespace

std::vector<std::uint8_t> PackPattern(const Pattern& pattern) {
    ByteWriter out;
    for (const Cell& c : pattern.cells) {
        // A full cell is five plain bytes; anything sparser is cheaper as a
        // flag byte (high bit set) naming the fields that follow.
        unsigned flags = 0x80;
        if (c.note) flags |= 0x01;
        if (c.instrument) flags |= 0x02;
        if (c.volume) flags |= 0x04;
        if (c.effect) flags |= 0x08;
        if (c.param) flags |= 0x10;
        if (flags == 0x9F) {
            out.U8(c.note);
            out.U8(c.instrument);
            out.U8(c.volume);
            out.U8(c.effect);
            out.U8(c.param);
            continue;
        }
        out.U8(flags);
        if (c.note) out.U8(c.note);
        if (c.instrument) out.U8(c.instrument);
        if (c.volume) out.U8(c.volume);
        if (c.effect) out.U8(c.effect);
        if (c.param) out.U8(c.param);
    }
    return out.Take();
}

std::vector<std::uint8_t> WriteModule(const Module& m) {
    Require(m.channels >= 2 && m.channels <= 32 && m.channels % 2 == 0, "channel count must be even, 2 to 32");
    Require(!m.order.empty() && m.order.size() <= 256, "order table must hold 1 to 256 entries");
    Require(m.restart_position >= 0 && m.restart_position < static_cast<int>(m.order.size()),
            "restart position outside the order table");
    Require(!m.patterns.empty() && m.patterns.size() <= 256, "1 to 256 patterns");
    Require(m.instruments.size() <= 128, "at most 128 instruments");
    Require(m.speed >= 1 && m.speed <= 31 && m.bpm >= 32 && m.bpm <= 255, "speed or tempo out of range");
    for (std::uint8_t p : m.order) Require(p < m.patterns.size(), "order names a missing pattern");

    ByteWriter out;
    out.Text("Extended Module: ", 17, "signature");
    out.Text(m.name, 20, "module name");
    out.U8(0x1A);
    out.Text(m.tracker, 20, "tracker name");
    out.U16(0x0104);
    out.U32(kSongHeaderSize);
    out.U16(m.order.size());
    out.U16(m.restart_position);
    out.U16(m.channels);
    out.U16(m.patterns.size());
    out.U16(m.instruments.size());
    out.U16(m.linear_frequencies ? 1 : 0);
    out.U16(m.speed);
    out.U16(m.bpm);
    for (std::size_t i = 0; i < 256; ++i) out.U8(i < m.order.size() ? m.order[i] : 0);

    for (const Pattern& p : m.patterns) {
        Require(p.channels == m.channels, "pattern channel count differs from the module's");
        Require(p.rows >= 1 && p.rows <= 256, "pattern rows must be 1 to 256");
        Require(p.cells.size() == static_cast<std::size_t>(p.rows) * p.channels, "pattern cell count");
        for (const Cell& c : p.cells) CheckCell(c, static_cast<int>(m.instruments.size()));
        std::vector<std::uint8_t> packed = PackPattern(p);
        Require(packed.size() <= 0xFFFF, "packed pattern too large");
        out.U32(kPatternHeaderSize);
        out.U8(0);  // packing type
        out.U16(p.rows);
        out.U16(packed.size());
        out.Bytes(packed);
    }
    for (const Instrument& ins : m.instruments) WriteInstrument(out, ins);
    return out.Take();
}

}  // namespace moonlit::music::xm

#include "xm_reader.h"

#include <algorithm>

namespace xmread {

namespace {

class Cursor {
public:
    Cursor(const std::vector<std::uint8_t>& b, std::string* error) : b(b), error(error) {}

    bool Need(std::size_t n, const std::string& what) {
        if (pos + n <= b.size()) return true;
        if (ok) *error = what + ": file ends at " + std::to_string(b.size()) + ", needed " +
                           std::to_string(pos + n);
        ok = false;
        return false;
    }
    std::uint8_t U8() { return ok && Need(1, "byte") ? b[pos++] : 0; }
    std::uint16_t U16() {
        std::uint16_t lo = U8();
        return static_cast<std::uint16_t>(lo | (U8() << 8));
    }
    std::uint32_t U32() {
        std::uint32_t lo = U16();
        return lo | (static_cast<std::uint32_t>(U16()) << 16);
    }
    std::string Text(std::size_t n) {
        if (!Need(n, "text")) return {};
        std::string s(b.begin() + pos, b.begin() + pos + n);
        pos += n;
        while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
        return s;
    }
    void Skip(std::size_t n) {
        if (Need(n, "skip")) pos += n;
    }
    void Seek(std::size_t p) {
        if (p > b.size()) {
            Need(p - pos, "seek");
            return;
        }
        pos = p;
    }
    std::size_t Pos() const { return pos; }
    bool Ok() const { return ok; }
    bool Fail(const std::string& message) {
        if (ok) *error = message;
        ok = false;
        return false;
    }

private:
    const std::vector<std::uint8_t>& b;
    std::string* error;
    std::size_t pos = 0;
    bool ok = true;
};

bool ReadPattern(Cursor& in, int channels, int index, Pattern* p) {
    const std::size_t start = in.Pos();
    p->header_size = in.U32();
    p->packing = in.U8();
    p->rows = in.U16();
    p->packed_size = in.U16();
    if (!in.Ok()) return false;
    if (p->header_size < 9) return in.Fail("pattern " + std::to_string(index) + ": header size below 9");
    in.Seek(start + p->header_size);
    const std::size_t data_start = in.Pos();
    const std::size_t want = static_cast<std::size_t>(p->rows) * channels;
    while (in.Ok() && in.Pos() < data_start + p->packed_size) {
        Cell c;
        std::uint8_t first = in.U8();
        if (first & 0x80) {
            if (first & 0x01) c.note = in.U8();
            if (first & 0x02) c.instrument = in.U8();
            if (first & 0x04) c.volume = in.U8();
            if (first & 0x08) c.effect = in.U8();
            if (first & 0x10) c.param = in.U8();
        } else {
            c.note = first;
            c.instrument = in.U8();
            c.volume = in.U8();
            c.effect = in.U8();
            c.param = in.U8();
        }
        p->cells.push_back(c);
    }
    if (!in.Ok()) return false;
    if (in.Pos() != data_start + p->packed_size)
        return in.Fail("pattern " + std::to_string(index) + ": last cell runs past the packed size");
    if (p->cells.size() != want)
        return in.Fail("pattern " + std::to_string(index) + ": " + std::to_string(p->cells.size()) +
                       " cells unpacked, rows x channels is " + std::to_string(want));
    return true;
}

bool ReadInstrument(Cursor& in, int index, Instrument* ins) {
    const std::size_t start = in.Pos();
    ins->header_size = in.U32();
    ins->name = in.Text(22);
    in.U8();  // type
    ins->sample_count = in.U16();
    if (!in.Ok()) return false;
    if (ins->sample_count > 0) {
        ins->sample_header_size = in.U32();
        in.Skip(96);  // note-to-sample map
        int points[24];
        for (int& v : points) v = in.U16();
        in.Skip(48);  // panning envelope
        int volume_points = in.U8();
        in.U8();
        ins->volume_sustain = in.U8();
        in.Skip(5);
        ins->volume_type = in.U8();
        in.U8();
        in.Skip(4);
        ins->fadeout = in.U16();
        if (volume_points > 12) return in.Fail("instrument " + std::to_string(index) + ": more than 12 points");
        for (int i = 0; i < volume_points; ++i) ins->volume_envelope.push_back({points[2 * i], points[2 * i + 1]});
    }
    in.Seek(start + ins->header_size);
    for (int s = 0; s < ins->sample_count && in.Ok(); ++s) {
        const std::size_t sample_start = in.Pos();
        Sample smp;
        smp.length_bytes = in.U32();
        smp.loop_start_bytes = in.U32();
        smp.loop_length_bytes = in.U32();
        smp.volume = in.U8();
        smp.finetune = static_cast<std::int8_t>(in.U8());
        smp.type = in.U8();
        smp.panning = in.U8();
        smp.relative_note = static_cast<std::int8_t>(in.U8());
        smp.reserved = in.U8();
        smp.name = in.Text(22);
        in.Seek(sample_start + ins->sample_header_size);
        ins->samples.push_back(smp);
    }
    // The data of all samples follows their headers, in the same order.
    for (Sample& smp : ins->samples) {
        if (!in.Need(smp.length_bytes, "instrument " + std::to_string(index) + " sample data")) return false;
        int value = 0;
        if (smp.SixteenBit()) {
            if (smp.length_bytes % 2) return in.Fail("odd byte length for a 16-bit sample");
            for (std::uint32_t i = 0; i < smp.length_bytes / 2; ++i) {
                value = static_cast<std::int16_t>(value + static_cast<std::int16_t>(in.U16()));
                smp.frames.push_back(value);
            }
        } else {
            for (std::uint32_t i = 0; i < smp.length_bytes; ++i) {
                value = static_cast<std::int8_t>(value + static_cast<std::int8_t>(in.U8()));
                smp.frames.push_back(value);
            }
        }
    }
    return in.Ok();
}

}  // namespace

bool Read(const std::vector<std::uint8_t>& bytes, Module* m, std::string* error) {
    Cursor in(bytes, error);
    m->signature = std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(17, bytes.size()));
    in.Skip(17);
    m->name = in.Text(20);
    m->marker = in.U8();
    m->tracker = in.Text(20);
    m->version = in.U16();
    const std::size_t header_start = in.Pos();
    m->header_size = in.U32();
    m->song_length = in.U16();
    m->restart = in.U16();
    m->channels = in.U16();
    m->pattern_count = in.U16();
    m->instrument_count = in.U16();
    m->flags = in.U16();
    m->speed = in.U16();
    m->bpm = in.U16();
    if (!in.Ok()) return false;
    if (m->signature != "Extended Module: ") return in.Fail("no XM signature");
    if (m->song_length < 1 || m->song_length > 256) return in.Fail("song length out of range");
    for (int i = 0; i < m->song_length; ++i) m->order.push_back(in.U8());
    in.Seek(header_start + m->header_size);
    for (int i = 0; i < m->pattern_count && in.Ok(); ++i) {
        Pattern p;
        if (!ReadPattern(in, m->channels, i, &p)) return false;
        m->patterns.push_back(std::move(p));
    }
    for (int i = 0; i < m->instrument_count && in.Ok(); ++i) {
        Instrument ins;
        if (!ReadInstrument(in, i, &ins)) return false;
        m->instruments.push_back(std::move(ins));
    }
    m->bytes_read = in.Pos();
    return in.Ok();
}

}  // namespace xmread

#include "xm_reader.h"

#include <algorithm>

namespace xmread {

namespace {

class Cursor {
public:
    Cursor(const std::vector<std::uint8_t>& b, std::string* error) : b_(b), error_(error) {}

    bool Need(std::size_t n, const std::string& what) {
        if (pos_ + n <= b_.size()) return true;
        if (ok_) *error_ = what + ": file ends at " + std::to_string(b_.size()) + ", needed " +
                           std::to_string(pos_ + n);
        ok_ = false;
        return false;
    }
    std::uint8_t U8() { return ok_ && Need(1, "byte") ? b_[pos_++] : 0; }
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
        std::string s(b_.begin() + pos_, b_.begin() + pos_ + n);
        pos_ += n;
        while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
        return s;
    }
    void Skip(std::size_t n) {
        if (Need(n, "skip")) pos_ += n;
    }
    void Seek(std::size_t p) {
        if (p > b_.size()) {
            Need(p - pos_, "seek");
            return;
        }
        pos_ = p;
    }
    std::size_t Pos() const { return pos_; }
    bool Ok() const { return ok_; }
    bool Fail(const std::string& message) {
        if (ok_) *error_ = message;
        ok_ = false;
        return false;
    }

private:
    const std::vector<std::uint8_t>& b_;
    std::string* error_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

bool ReadPattern(Cursor& in, int channels, int index, Pattern* p) {
    const std::size_t start = in.Pos();
    p->headerSize = in.U32();
    p->packing = in.U8();
    p->rows = in.U16();
    p->packedSize = in.U16();
    if (!in.Ok()) return false;
    if (p->headerSize < 9) return in.Fail("pattern " + std::to_string(index) + ": header size below 9");
    in.Seek(start + p->headerSize);
    const std::size_t dataStart = in.Pos();
    const std::size_t want = static_cast<std::size_t>(p->rows) * channels;
    while (in.Ok() && in.Pos() < dataStart + p->packedSize) {
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
    if (in.Pos() != dataStart + p->packedSize)
        return in.Fail("pattern " + std::to_string(index) + ": last cell runs past the packed size");
    if (p->cells.size() != want)
        return in.Fail("pattern " + std::to_string(index) + ": " + std::to_string(p->cells.size()) +
                       " cells unpacked, rows x channels is " + std::to_string(want));
    return true;
}

bool ReadInstrument(Cursor& in, int index, Instrument* ins) {
    const std::size_t start = in.Pos();
    ins->headerSize = in.U32();
    ins->name = in.Text(22);
    in.U8();  // type
    ins->sampleCount = in.U16();
    if (!in.Ok()) return false;
    if (ins->sampleCount > 0) {
        ins->sampleHeaderSize = in.U32();
        in.Skip(96);  // note-to-sample map
        int points[24];
        for (int& v : points) v = in.U16();
        in.Skip(48);  // panning envelope
        int volumePoints = in.U8();
        in.U8();
        ins->volumeSustain = in.U8();
        in.Skip(5);
        ins->volumeType = in.U8();
        in.U8();
        in.Skip(4);
        ins->fadeout = in.U16();
        if (volumePoints > 12) return in.Fail("instrument " + std::to_string(index) + ": more than 12 points");
        for (int i = 0; i < volumePoints; ++i) ins->volumeEnvelope.push_back({points[2 * i], points[2 * i + 1]});
    }
    in.Seek(start + ins->headerSize);
    for (int s = 0; s < ins->sampleCount && in.Ok(); ++s) {
        const std::size_t sampleStart = in.Pos();
        Sample smp;
        smp.lengthBytes = in.U32();
        smp.loopStartBytes = in.U32();
        smp.loopLengthBytes = in.U32();
        smp.volume = in.U8();
        smp.finetune = static_cast<std::int8_t>(in.U8());
        smp.type = in.U8();
        smp.panning = in.U8();
        smp.relativeNote = static_cast<std::int8_t>(in.U8());
        smp.reserved = in.U8();
        smp.name = in.Text(22);
        in.Seek(sampleStart + ins->sampleHeaderSize);
        ins->samples.push_back(smp);
    }
    // The data of all samples follows their headers, in the same order.
    for (Sample& smp : ins->samples) {
        if (!in.Need(smp.lengthBytes, "instrument " + std::to_string(index) + " sample data")) return false;
        int value = 0;
        if (smp.SixteenBit()) {
            if (smp.lengthBytes % 2) return in.Fail("odd byte length for a 16-bit sample");
            for (std::uint32_t i = 0; i < smp.lengthBytes / 2; ++i) {
                value = static_cast<std::int16_t>(value + static_cast<std::int16_t>(in.U16()));
                smp.frames.push_back(value);
            }
        } else {
            for (std::uint32_t i = 0; i < smp.lengthBytes; ++i) {
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
    const std::size_t headerStart = in.Pos();
    m->headerSize = in.U32();
    m->songLength = in.U16();
    m->restart = in.U16();
    m->channels = in.U16();
    m->patternCount = in.U16();
    m->instrumentCount = in.U16();
    m->flags = in.U16();
    m->speed = in.U16();
    m->bpm = in.U16();
    if (!in.Ok()) return false;
    if (m->signature != "Extended Module: ") return in.Fail("no XM signature");
    if (m->songLength < 1 || m->songLength > 256) return in.Fail("song length out of range");
    for (int i = 0; i < m->songLength; ++i) m->order.push_back(in.U8());
    in.Seek(headerStart + m->headerSize);
    for (int i = 0; i < m->patternCount && in.Ok(); ++i) {
        Pattern p;
        if (!ReadPattern(in, m->channels, i, &p)) return false;
        m->patterns.push_back(std::move(p));
    }
    for (int i = 0; i < m->instrumentCount && in.Ok(); ++i) {
        Instrument ins;
        if (!ReadInstrument(in, i, &ins)) return false;
        m->instruments.push_back(std::move(ins));
    }
    m->bytesRead = in.Pos();
    return in.Ok();
}

}  // namespace xmread

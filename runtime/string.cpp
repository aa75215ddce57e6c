// String bodies, construction, queries and conversions: numbers, 8-bit text,
// UTF-8 and the bytes of text files.
#include "runtime/string.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "runtime/array.h"

void gc_count_fresh(int delta);  // collector's fresh_bytes, see gc.cpp

namespace {

// The longest body whose byte size still fits an int.
constexpr int kMaxLength = 0x3ffffff0;

int BodyBytes(int length) { return 8 + 2 * length; }

bool UnitsEqual(const uint16_t* a, const uint16_t* b, int n) {
    return n == 0 || std::memcmp(a, b, static_cast<size_t>(n) * 2) == 0;
}

}  // namespace

// ---- bodies ---------------------------------------------------------------

// The one empty body. It is never counted: copies, moves and releases all
// leave its count alone, so it cannot drift however long the program runs.
String::Rep String::empty_body = {1, 0};

String::Rep* String::Allocate(int length) {
    if (length > kMaxLength) std::abort();
    Rep* rep = static_cast<Rep*>(std::malloc(static_cast<size_t>(BodyBytes(length))));
    if (!rep) std::abort();
    rep->refs = 1;
    rep->length = length;
    gc_count_fresh(BodyBytes(length));
    return rep;
}

void String::Release(Rep* rep) {
    if (rep != &empty_body && --rep->refs == 0) {
        gc_count_fresh(-BodyBytes(rep->length));
        std::free(rep);
    }
}

String& String::operator=(const String& other) {
    Retain(other.rep);
    Release(rep);
    rep = other.rep;
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        Release(rep);
        rep = other.rep;
        other.rep = empty_rep();
    }
    return *this;
}

// ---- construction ---------------------------------------------------------

String::String(const char* text) : rep(empty_rep()) {
    int n = static_cast<int>(std::strlen(text));
    if (n == 0) return;
    rep = Allocate(n);
    for (int i = 0; i < n; ++i)
        rep->Units()[i] = static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(text[i])));
}

String::String(const uint16_t* units) : rep(empty_rep()) {
    int n = 0;
    while (units[n]) ++n;
    *this = FromUtf16(units, n);
}

String::String(int value) : rep(empty_rep()) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%i", value);
    *this = String(buffer);
}

String::String(float value) : rep(empty_rep()) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer - 2, "%.17lg", static_cast<double>(value));
    if (!std::strpbrk(buffer, ".e")) std::strcat(buffer, ".0");
    *this = String(buffer);
}

String String::FromUtf16(const uint16_t* units, int count) {
    if (count <= 0) return String();
    Rep* rep = Allocate(count);
    std::memcpy(rep->Units(), units, static_cast<size_t>(count) * 2);
    return String(rep);
}

String String::FromLatin1(const unsigned char* bytes, int count) {
    if (count <= 0) return String();
    Rep* rep = Allocate(count);
    for (int i = 0; i < count; ++i) rep->Units()[i] = bytes[i];
    return String(rep);
}

String String::Copy() const { return FromUtf16(Data(), Length()); }

String operator+(const char* a, const String& b) { return String(a) + b; }

// ---- queries --------------------------------------------------------------

bool String::operator==(const String& other) const {
    return rep == other.rep ||
           (Length() == other.Length() && UnitsEqual(Data(), other.Data(), Length()));
}

String String::operator+(const String& other) const {
    if (Length() == 0) return other;
    if (other.Length() == 0) return *this;
    Rep* rep = Allocate(Length() + other.Length());
    std::memcpy(rep->Units(), Data(), static_cast<size_t>(Length()) * 2);
    std::memcpy(rep->Units() + Length(), other.Data(), static_cast<size_t>(other.Length()) * 2);
    return String(rep);
}

int String::Find(const String& text, int start) const {
    if (start < 0) start = 0;
    int last = Length() - text.Length();
    if (text.Length() == 0) return start <= Length() ? start : -1;
    // Scan for the first unit, then compare the rest.
    const uint16_t* units = Data();
    uint16_t first = text.Data()[0];
    for (int i = start; i <= last; ++i)
        if (units[i] == first && UnitsEqual(units + i + 1, text.Data() + 1, text.Length() - 1)) return i;
    return -1;
}

int String::FindLast(const String& text) const {
    for (int i = Length() - text.Length(); i >= 0; --i)
        if (UnitsEqual(Data() + i, text.Data(), text.Length())) return i;
    return -1;
}

bool String::StartsWith(const String& prefix) const {
    return prefix.Length() <= Length() && UnitsEqual(Data(), prefix.Data(), prefix.Length());
}

bool String::EndsWith(const String& suffix) const {
    return suffix.Length() <= Length() &&
           UnitsEqual(Data() + Length() - suffix.Length(), suffix.Data(), suffix.Length());
}

String String::Slice(int from, int to) const {
    int n = Length();
    from = from < 0 ? (from + n > 0 ? from + n : 0) : (from < n ? from : n);
    to = to < 0 ? to + n : (to < n ? to : n);
    if (from > to) return String();
    if (from == 0 && to == n) return *this;
    return FromUtf16(Data() + from, to - from);
}

String String::Trim() const {
    int from = 0, to = Length();
    while (from < to && Data()[from] <= 32) ++from;
    while (to > from && Data()[to - 1] <= 32) --to;
    return Slice(from, to);
}

Array<String> String::Split(const String& separator) const {
    if (separator.Length() == 0) {
        Array<String> pieces(Length());
        for (int i = 0; i < Length(); ++i) pieces.Set(i, FromUtf16(Data() + i, 1));
        return pieces;
    }
    int count = CountMatches(separator);
    Array<String> pieces(count + 1);
    if (count == 0) {
        pieces.Set(0, *this);
        return pieces;
    }
    int start = 0;
    for (int i = 0; i < count; ++i) {
        int at = Find(separator, start);
        pieces.Set(i, Slice(start, at));
        start = at + separator.Length();
    }
    pieces.Set(count, Slice(start));
    return pieces;
}

// Non-overlapping, left to right: each search resumes after the last match.
int String::CountMatches(const String& text) const {
    int count = 0;
    for (int at = Find(text); at != -1; at = Find(text, at + text.Length())) ++count;
    return count;
}

String String::Replace(const String& find, const String& with) const {
    // An empty search text matches nowhere: the receiver comes back as is.
    if (find.Length() == 0) return *this;
    int count = CountMatches(find);
    if (count == 0) return *this;
    long long length = Length() + static_cast<long long>(count) * (with.Length() - find.Length());
    if (length <= 0) return String();
    if (length > kMaxLength) std::abort();
    Rep* rep = Allocate(static_cast<int>(length));
    uint16_t* out = rep->Units();
    int start = 0;
    for (int at = Find(find); at != -1; at = Find(find, start)) {
        std::memcpy(out, Data() + start, static_cast<size_t>(at - start) * 2);
        out += at - start;
        std::memcpy(out, with.Data(), static_cast<size_t>(with.Length()) * 2);
        out += with.Length();
        start = at + find.Length();
    }
    std::memcpy(out, Data() + start, static_cast<size_t>(Length() - start) * 2);
    return String(rep);
}

String String::ToLower() const {
    int first = 0;
    while (first < Length() && static_cast<wint_t>(std::towlower(Data()[first])) == Data()[first]) ++first;
    if (first == Length()) return *this;
    Rep* rep = Allocate(Length());
    std::memcpy(rep->Units(), Data(), static_cast<size_t>(first) * 2);
    for (int i = first; i < Length(); ++i) rep->Units()[i] = static_cast<uint16_t>(std::towlower(Data()[i]));
    return String(rep);
}

int String::ToInt() const {
    char buffer[64];
    int n = Length() < 63 ? Length() : 63;
    for (int i = 0; i < n; ++i) buffer[i] = static_cast<char>(Data()[i] & 0xff);
    buffer[n] = 0;
    return std::atoi(buffer);
}

// ---- byte conversions -----------------------------------------------------

void String::ToUtf8(std::vector<unsigned char>& out) const {
    for (int i = 0; i < Length(); ++i) {
        unsigned u = Data()[i];
        if (u < 0x80) {
            out.push_back(static_cast<unsigned char>(u));
        } else if (u < 0x800) {
            out.push_back(static_cast<unsigned char>(0xC0 | u >> 6));
            out.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
        } else {
            out.push_back(static_cast<unsigned char>(0xE0 | u >> 12));
            out.push_back(static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
        }
    }
}

void String::ToLatin1(std::vector<char>& out) const {
    for (int i = 0; i < Length(); ++i) out.push_back(static_cast<char>(Data()[i] & 0xff));
    out.push_back(0);
}

namespace {

String DecodeUtf16(const unsigned char* bytes, int count, bool big_endian) {
    int n = (count - 2) / 2;
    std::vector<uint16_t> units(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        unsigned b0 = bytes[2 + 2 * i], b1 = bytes[3 + 2 * i];
        units[static_cast<size_t>(i)] = static_cast<uint16_t>(big_endian ? (b0 << 8 | b1) : (b0 | b1 << 8));
    }
    return String::FromUtf16(units.data(), n);
}

// The UTF-8 encoding of the byte-order mark, which may open a UTF-8 file.
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes UTF-8 into `units`; false at the first malformed or cut-off
// sequence, or at a four-byte lead byte (those do not fit one unit).
bool DecodeUtf8(const unsigned char* p, const unsigned char* end, std::vector<uint16_t>& units) {
    while (p < end) {
        unsigned b0 = *p;
        if (b0 < 0x80) {
            units.push_back(static_cast<uint16_t>(b0));
            p += 1;
        } else if ((b0 & 0xE0) == 0xC0 && end - p >= 2 && IsContinuation(p[1])) {
            units.push_back(static_cast<uint16_t>((b0 & 0x1F) << 6 | (p[1] & 0x3F)));
            p += 2;
        } else if ((b0 & 0xF0) == 0xE0 && end - p >= 3 && IsContinuation(p[1]) && IsContinuation(p[2])) {
            units.push_back(static_cast<uint16_t>((b0 & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F)));
            p += 3;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

String String::FromBytes(const unsigned char* bytes, int count) {
    if (count >= 2 && bytes[0] == 0xfe && bytes[1] == 0xff) return DecodeUtf16(bytes, count, true);
    if (count >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) return DecodeUtf16(bytes, count, false);
    int skip = (count > 2 && std::memcmp(bytes, kUtf8Mark, sizeof kUtf8Mark) == 0) ? sizeof kUtf8Mark : 0;
    std::vector<uint16_t> units;
    units.reserve(static_cast<size_t>(count));
    if (!DecodeUtf8(bytes + skip, bytes + count, units))
        return FromLatin1(bytes, count);  // the whole input, mark included
    return FromUtf16(units.data(), static_cast<int>(units.size()));
}

String String::LoadText(std::FILE* file) {
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    if (bytes.size() > 0x7fffffffu) return String();
    return FromBytes(bytes.data(), static_cast<int>(bytes.size()));
}

// Split, Replace, Find, FindLast, Slice, Trim and ToInt on random texts and
// indices, each checked against what the standard library's own strings
// give for the same units.
#include <algorithm>
#include <climits>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/array.h"

namespace {

using Units = std::u16string;

Units UnitsOf(const String& s) { return Units(reinterpret_cast<const char16_t*>(s.Data()), s.Length()); }

int Position(size_t at) { return at == Units::npos ? -1 : static_cast<int>(at); }

void CheckFind(const String& s, const String& t, int start) {
    FUZZ_CHECK(s.Find(t, start) == Position(UnitsOf(s).find(UnitsOf(t), static_cast<size_t>(std::max(start, 0)))));
    FUZZ_CHECK(s.FindLast(t) == Position(UnitsOf(s).rfind(UnitsOf(t))));
}

void CheckSlice(const String& s, int from, int to) {
    long long n = s.Length();
    long long f = from < 0 ? std::max(from + n, 0LL) : std::min<long long>(from, n);
    long long t = to < 0 ? to + n : std::min<long long>(to, n);
    String r = s.Slice(from, to);
    if (f > t) {
        FUZZ_CHECK(r.Length() == 0);
        return;
    }
    FUZZ_CHECK(UnitsOf(r) == UnitsOf(s).substr(f, t - f));
    if (f == 0 && t == n) FUZZ_CHECK(r.SameBody(s));
}

// Joining the pieces with the separator gives the text back; no piece holds
// the separator.
void CheckSplit(const String& s, const String& sep) {
    Array<String> pieces = s.Split(sep);
    if (sep.Length() == 0) {
        FUZZ_CHECK(pieces.Length() == s.Length());
        for (int i = 0; i < pieces.Length(); ++i) FUZZ_CHECK(pieces[i].Length() == 1 && pieces[i][0] == s[i]);
        return;
    }
    FUZZ_CHECK(pieces.Length() >= 1);
    Units joined = UnitsOf(pieces[0]);
    for (int i = 1; i < pieces.Length(); ++i) joined += UnitsOf(sep) + UnitsOf(pieces[i]);
    FUZZ_CHECK(joined == UnitsOf(s));
    for (int i = 0; i + 1 < pieces.Length(); ++i) FUZZ_CHECK(pieces[i].Find(sep) == -1);
    if (pieces.Length() == 1) FUZZ_CHECK(pieces[0].SameBody(s));
}

void CheckReplace(const String& s, const String& find, const String& with) {
    String r = s.Replace(find, with);
    if (find.Length() == 0 || s.Find(find) == -1) {
        FUZZ_CHECK(r.SameBody(s));
        return;
    }
    Units expected, su = UnitsOf(s), fu = UnitsOf(find);
    size_t at = 0;
    for (size_t hit; (hit = su.find(fu, at)) != Units::npos; at = hit + fu.size())
        expected += su.substr(at, hit - at) + UnitsOf(with);
    FUZZ_CHECK(UnitsOf(r) == expected + su.substr(at));
}

void CheckToInt(const String& s) {
    std::string bytes;
    for (int i = 0; i < std::min(s.Length(), 63); ++i) bytes += static_cast<char>(s[i] & 0xff);
    // strtoll saturates where atoi's overflow is undefined; compare only
    // values that fit.
    long long v = std::strtoll(bytes.c_str(), nullptr, 10);
    if (v >= INT_MIN && v <= INT_MAX) FUZZ_CHECK(s.ToInt() == static_cast<int>(v));
}

void CheckTrim(const String& s) {
    String t = s.Trim();
    if (t.Length() > 0) FUZZ_CHECK(t[0] > 32 && t[t.Length() - 1] > 32);
    FUZZ_CHECK(s.Find(t) != -1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    while (in.Left() > 0) {
        String s = in.Text(64), a = in.Text(6), b = in.Text(8);
        switch (in.Byte() % 6) {
            case 0: CheckFind(s, a, in.Around(s.Length())); break;
            case 1: CheckSlice(s, in.Around(s.Length()) * (in.Byte() & 1 ? -1 : 1), in.Around(s.Length())); break;
            case 2: CheckSplit(s, a); break;
            case 3: CheckReplace(s, a, b); break;
            case 4: CheckToInt(s); break;
            case 5: CheckTrim(s); break;
        }
        // Extreme indices: the clamps must hold at the ends of the int range.
        CheckSlice(s, in.Int32(), in.Int32());
        CheckFind(s, a, in.Int32());
    }
    CollectAll();
    return 0;
}

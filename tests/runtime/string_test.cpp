// Strings: formatting, slicing, searching, splitting, replacing, decoding
// the bytes of text files, sharing of bodies, and the accounting of bodies
// in the collector's fresh_bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

namespace {

std::u16string Units(const String& s) { return {reinterpret_cast<const char16_t*>(s.Data()), size_t(s.Length())}; }

std::u16string Pieces(const Array<String>& pieces) {
    std::u16string out;
    for (int i = 0; i < pieces.Length(); ++i) out += u"[" + Units(pieces[i]) + u"]";
    return out;
}

String Decoded(const std::vector<unsigned char>& b) { return String::FromBytes(b.data(), int(b.size())); }

TEST(Strings, OperationsGiveTheirTexts) {
    const String s("abcdef");
    const String one("one two one");
    const struct {
        const char* what;
        std::u16string got, want;
    } rows[] = {
        {"3.0f", Units(String(3.0f)), u"3.0"},
        {"-0.0f", Units(String(-0.0f)), u"-0.0"},
        {"0.5f", Units(String(0.5f)), u"0.5"},
        {"0.1f", Units(String(0.1f)), u"0.10000000149011612"},
        {"2^24", Units(String(16777216.0f)), u"16777216.0"},
        {"1e20f", Units(String(1e20f)), u"1.0000000200408773e+20"},
        {"-7", Units(String(-7)), u"-7"},
        {"8-bit literal", Units(String("a\xe9")), u"a\xFFE9"},
        {"slice -3,-1", Units(s.Slice(-3, -1)), u"de"},
        {"slice 4,2", Units(s.Slice(4, 2)), u""},
        {"slice -100,2", Units(s.Slice(-100, 2)), u"ab"},
        {"slice 0,-10", Units(s.Slice(0, -10)), u""},
        {"slice 2", Units(s.Slice(2)), u"cdef"},
        {"trim", Units(String("\t a b \n").Trim()), u"a b"},
        {"trim keeps punctuation", Units(String(" !x! ").Trim()), u"!x!"},
        {"split", Pieces(String(",a,,b").Split(",")), u"[][a][][b]"},
        {"split units", Pieces(String("abc").Split("")), u"[a][b][c]"},
        {"split overlapping", Pieces(String("aaaa").Split("aa")), u"[][][]"},
        {"split nothing", Pieces(String("a b").Split(";")), u"[a b]"},
        {"replace", Units(one.Replace("one", "1")), u"1 two 1"},
        {"replace with empty", Units(one.Replace("one", "")), u" two "},
        {"replace overlapping", Units(String("aaa").Replace("aa", "b")), u"ba"},
        {"replace all", Units(String("ab").Replace("ab", "")), u""},
        {"replace to one unit", Units(String("ab").Replace("b", "")), u"a"},
        {"concatenation", Units(String("abc") + "def"), u"abcdef"},
        {"lower", Units(String("File.PNG").ToLower()), u"file.png"},
        {"UTF-16LE", Units(Decoded({0xff, 0xfe, 0x41, 0x00, 0x42})), u"A"},
        {"UTF-16BE", Units(Decoded({0xfe, 0xff, 0x00, 0x41, 0x20, 0xac})), u"A\x20ac"},
        {"UTF-16 mark only", Units(Decoded({0xff, 0xfe})), u""},
        {"UTF-8 with mark", Units(Decoded({0xef, 0xbb, 0xbf, 'h', 0xc3, 0xa9, 0xe2, 0x82, 0xac})), u"h\xe9\x20ac"},
        {"no bytes", Units(Decoded({})), u""},
        {"8-bit", Units(Decoded({'c', 'a', 'f', 0xe9})), u"caf\xe9"},
        {"8-bit after a mark", Units(Decoded({0xef, 0xbb, 0xbf, 0xff})), u"\xef\xbb\xbf\xff"},
        {"stray continuation", Units(Decoded({0x80, 'a'})), u"\x80" u"a"},
        {"four-byte lead", Units(Decoded({0xf0, 0x9f, 0x98, 0x80})), u"\xf0\x9f\x98\x80"},
        {"cut-off sequence", Units(Decoded({'a', 0xe2, 0x82})), u"a\xe2\x82"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
}

TEST(Strings, SearchesAndNumbers) {
    const String s("abcabc");
    const struct {
        const char* what;
        int got, want;
    } rows[] = {
        {"find", s.Find("bc"), 1},          {"find from 2", s.Find("bc", 2), 4},
        {"find from -5", s.Find("bc", -5), 1}, {"find missing", s.Find("x"), -1},
        {"find empty at end", s.Find("", 6), 6}, {"find empty past end", s.Find("", 7), -1},
        {"find last", s.FindLast("abc"), 3}, {"find last longer", String("ab").FindLast("abc"), -1},
        {"starts", s.StartsWith("abc"), 1}, {"starts longer", String("ab").StartsWith("abc"), 0},
        {"ends", s.EndsWith("cabc"), 1},    {"ends not", s.EndsWith("b"), 0},
        {"int", String(" -42abc").ToInt(), -42}, {"int plus", String("+17").ToInt(), 17},
        {"int empty", String().ToInt(), 0},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
}

// Operations that change nothing give back the receiver's body (no copy), and
// every empty result is the one empty body.
TEST(Strings, UnchangedResultsShareTheBody) {
    const String s("word"), lower("already lower"), empty;
    const struct {
        const char* what;
        bool shares;
    } rows[] = {
        {"whole slice", s.Slice(0, 100).SameBody(s)},
        {"empty slice", String("abc").Slice(1, 1).SameBody(empty)},
        {"trim nothing", s.Trim().SameBody(s)},
        {"trim all", String("  ").Trim().SameBody(empty)},
        {"replace missing", s.Replace("zzz", "y").SameBody(s)},
        {"replace empty", s.Replace("", "y").SameBody(s)},
        {"plus empty", (s + empty).SameBody(s)},
        {"empty plus", (empty + s).SameBody(s)},
        {"lower already", lower.ToLower().SameBody(lower)},
        {"split nothing", s.Split(";")[0].SameBody(s)},
        {"split empty", empty.Split("").IsEmptyBody()},
    };
    for (const auto& row : rows) EXPECT_TRUE(row.shares) << row.what;
}

TEST(Strings, Utf8RoundTripsThroughFromBytes) {
    const uint16_t ends[] = {0x7f, 0x80, 0x7ff, 0x800, 0xffff, 0xD83D, 0};  // each length's ends, a lone surrogate
    std::vector<unsigned char> bytes;
    String(ends).ToUtf8(bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xed\xa0\xbd");

    std::vector<uint16_t> units;
    for (uint32_t u = 1; u < 0x10000; u += 7) units.push_back(static_cast<uint16_t>(u));
    String original = String::FromUtf16(units.data(), static_cast<int>(units.size()));
    bytes.clear();
    original.ToUtf8(bytes);
    EXPECT_EQ(Decoded(bytes), original);
}

TEST(Strings, LoadTextReadsAcrossChunks) {
    std::FILE* f = std::tmpfile();
    std::string text(8191, 'x');
    text += "\xc3\xa9";  // split by the second chunk's end: the last chunk is one byte
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    String s = String::LoadText(f);
    std::fclose(f);
    ASSERT_EQ(s.Length(), 8192);
    EXPECT_EQ(s[8191], 0xe9);
}

TEST(Strings, FreshBytesCountLiveBodiesOnly) {
    const int start = gc_read_counters().fresh_bytes;
    {
        String keep("0123456789");  // 8 + 20 bytes
        EXPECT_EQ(gc_read_counters().fresh_bytes - start, 28);
        for (int i = 0; i < 1000; ++i) {
            String joined = keep + String(i) + "," + keep.Slice(2, 5);
            String back = joined.Replace("0", "zero").ToLower().Trim().Copy();
            ASSERT_GT(gc_read_counters().fresh_bytes - start, 28);
        }
        EXPECT_EQ(gc_read_counters().fresh_bytes - start, 28);
    }
    EXPECT_EQ(gc_read_counters().fresh_bytes, start);
}

// The empty body is shared by every empty string and never counted: made,
// copied, moved, assigned or released, its count stays where it started
// (released uncounted, it once drifted down by one each time).
TEST(Strings, EmptyBodyIsNeverCounted) {
    const String text("ab");
    const struct {
        const char* what;
        void (*run)(const String& text);
    } cases[] = {
        {"default", [](const String&) { String s; }},
        {"literal", [](const String&) { String s(""); }},
        {"copy", [](const String&) { String a; String b(a); String c; c = b; }},
        {"move", [](const String& t) { String a = t; String b(std::move(a)); String c; c = std::move(b); }},
        {"slice", [](const String& t) { String s = t.Slice(1, 1); }},
        {"trim", [](const String&) { String s = String("  ").Trim(); }},
        {"replace", [](const String& t) { String s = t.Replace("ab", ""); }},
        {"concatenation", [](const String&) { String s = String() + String(); }},
        {"array", [](const String&) { Array<String>(3).Set(1, String()); }},
        {"split", [](const String& t) { t.Split("ab"); }},
    };
    for (const auto& c : cases) {
        const int before = String::empty_rep()->refs;
        for (int i = 0; i < 1000; ++i) c.run(text);
        EXPECT_EQ(String::empty_rep()->refs, before) << c.what;
    }
    EXPECT_EQ(String::empty_rep()->refs, 1);
}

}  // namespace

// Strings: formatting, slicing, searching, splitting, replacing, decoding
// the bytes of text files, and the accounting of bodies in the collector's
// fresh_bytes, the shared empty body included.
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

String Pieces(const Array<String>& pieces) {
    String out;
    for (int i = 0; i < pieces.Length(); ++i) out += "[" + pieces[i] + "]";
    return out;
}

String Decoded(const std::vector<unsigned char>& b) { return String::FromBytes(b.data(), int(b.size())); }

TEST(Strings, OperationsGiveTheirTexts) {
    const String s("abcdef"), one("one two one");
    const struct {
        const char* what;
        String got;
        std::u16string want;
    } rows[] = {
        {"3.0f", String(3.0f), u"3.0"},
        {"0.1f", String(0.1f), u"0.10000000149011612"},
        {"1e20f", String(1e20f), u"1.0000000200408773e+20"},
        {"-7", String(-7), u"-7"},
        {"8-bit literal", String("a\xe9"), u"a\xFFE9"},
        {"slice 0,3", s.Slice(0, 3), u"abc"},
        {"slice -3,-1", s.Slice(-3, -1), u"de"},
        {"slice 4,2", s.Slice(4, 2), u""},
        {"slice -100,2", s.Slice(-100, 2), u"ab"},
        {"slice -5", s.Slice(-5), u"bcdef"},
        {"slice 0,-10", s.Slice(0, -10), u""},
        {"trim", String("\t !a b! \n").Trim(), u"!a b!"},
        {"split", Pieces(String("a,,b,").Split(",")), u"[a][][b][]"},
        {"split units", Pieces(String("abc").Split("")), u"[a][b][c]"},
        {"split overlapping", Pieces(String("aaaa").Split("aa")), u"[][][]"},
        {"replace", one.Replace("one", "1"), u"1 two 1"},
        {"replace overlapping", String("aaa").Replace("aa", "b"), u"ba"},
        {"replace all", String("ab").Replace("ab", ""), u""},
        {"replace to one unit", String("ab").Replace("b", ""), u"a"},
        {"concatenation", String("abc") + "def", u"abcdef"},
        {"lower", String("File.PNG").ToLower(), u"file.png"},
        {"UTF-16LE", Decoded({0xff, 0xfe, 0x41, 0x00, 0x42}), u"A"},
        {"UTF-16BE", Decoded({0xfe, 0xff, 0x00, 0x41, 0x20, 0xac}), u"A\x20ac"},
        {"UTF-8 with mark", Decoded({0xef, 0xbb, 0xbf, 'h', 0xc3, 0xa9, 0xe2, 0x82, 0xac}), u"h\xe9\x20ac"},
        {"8-bit", Decoded({'c', 'a', 'f', 0xe9}), u"caf\xe9"},
        {"8-bit after a mark", Decoded({0xef, 0xbb, 0xbf, 0xff}), u"\xef\xbb\xbf\xff"},
        {"stray continuation", Decoded({0x80, 'a'}), u"\x80" u"a"},
        {"four-byte lead", Decoded({0xf0, 0x9f, 0x98, 0x80}), u"\xf0\x9f\x98\x80"},
        {"cut-off sequence", Decoded({'a', 0xe2, 0x82}), u"a\xe2\x82"},
    };
    for (const auto& row : rows) EXPECT_EQ(Units(row.got), row.want) << row.what;
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
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
}

TEST(Strings, Utf8EncodesEachLengthsEndsAndDecodesBack) {
    const uint16_t ends[] = {0x7f, 0x80, 0x7ff, 0x800, 0xffff, 0xD83D, 0};  // a lone surrogate last
    std::vector<unsigned char> bytes;
    String(ends).ToUtf8(bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xed\xa0\xbd");
    EXPECT_EQ(Decoded(bytes), String(ends));
}

TEST(Strings, LoadTextReadsAcrossChunks) {
    std::string text(8191, 'x');
    text += "\xc3\xa9";  // split by the second chunk's end: the last chunk is one byte
    std::FILE* f = fmemopen(text.data(), text.size(), "rb");
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

// Every empty result is the one empty body, which is never counted: made,
// copied, moved, assigned or released, its count stays where it started
// (released uncounted, it once drifted down by one each time).
TEST(Strings, EmptyBodyIsSharedAndNeverCounted) {
    const String text("ab");
    for (int i = 0; i < 1000; ++i) {
        String made(""), copied(made), sliced = text.Slice(1, 1), replaced = text.Replace("ab", "");
        ASSERT_TRUE(sliced.SameBody(made) && replaced.SameBody(made) && String("  ").Trim().SameBody(made));
        sliced = copied;
        replaced = std::move(sliced);
        String moved(std::move(replaced));
        Array<String>(3).Set(1, made + String());
        ASSERT_TRUE(String().Split("").IsEmptyBody());
    }
    EXPECT_EQ(String::empty_rep()->refs, 1);
}

}  // namespace

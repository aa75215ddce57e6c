// Strings: formatting, slicing, searching, splitting, byte conversions,
// sharing of bodies and their accounting in fresh_bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

namespace {

std::string Utf8(const String& s) {
    std::vector<unsigned char> bytes;
    s.ToUtf8(bytes);
    return std::string(bytes.begin(), bytes.end());
}

String BytesToString(const std::vector<unsigned char>& b) {
    return String::FromBytes(b.data(), static_cast<int>(b.size()));
}

TEST(Strings, FloatFormatting) {
    EXPECT_EQ(Utf8(String(3.0f)), "3.0");
    EXPECT_EQ(Utf8(String(-0.0f)), "-0.0");
    EXPECT_EQ(Utf8(String(0.5f)), "0.5");
    EXPECT_EQ(Utf8(String(0.1f)), "0.10000000149011612");
    EXPECT_EQ(Utf8(String(16777216.0f)), "16777216.0");
    EXPECT_EQ(Utf8(String(1e20f)), "1.0000000200408773e+20");
    EXPECT_EQ(Utf8(String(-7)), "-7");
}

TEST(Strings, EightBitLiteralsWidenSigned) {
    String s("\xe9");
    ASSERT_EQ(s.Length(), 1);
    EXPECT_EQ(s[0], 0xFFE9);
}

TEST(Strings, SliceClamping) {
    String s("abcdef");
    EXPECT_EQ(s.Slice(-3, -1), String("de"));
    EXPECT_EQ(s.Slice(4, 2).Length(), 0);
    EXPECT_TRUE(s.Slice(0, 100).SameBody(s));
    EXPECT_EQ(s.Slice(-100, 2), String("ab"));
    EXPECT_EQ(s.Slice(0, -10).Length(), 0);
    EXPECT_EQ(s.Slice(2), String("cdef"));
}

TEST(Strings, TrimSharesWhenNothingIsRemoved) {
    String s("word");
    EXPECT_TRUE(s.Trim().SameBody(s));
    EXPECT_TRUE(String("  ").Trim().SameBody(String()));
    EXPECT_EQ(String("\t a b \n").Trim(), String("a b"));
}

TEST(Strings, Searching) {
    String s("abcabc");
    EXPECT_EQ(s.Find("bc"), 1);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("bc", -5), 1);
    EXPECT_EQ(s.Find("x"), -1);
    EXPECT_EQ(s.Find("", 6), 6);
    EXPECT_EQ(s.Find("", 7), -1);
    EXPECT_EQ(s.FindLast("abc"), 3);
    EXPECT_EQ(String("ab").FindLast("abc"), -1);
    EXPECT_TRUE(s.StartsWith("abc"));
    EXPECT_FALSE(String("ab").StartsWith("abc"));
    EXPECT_TRUE(s.EndsWith("cabc"));
    EXPECT_FALSE(s.EndsWith("b"));
}

TEST(Strings, Split) {
    Array<String> p = String("a,,b,").Split(",");
    ASSERT_EQ(p.Length(), 4);
    EXPECT_EQ(p[0], String("a"));
    EXPECT_EQ(p[1].Length(), 0);
    EXPECT_EQ(p[2], String("b"));
    EXPECT_EQ(p[3].Length(), 0);

    Array<String> chars = String("abc").Split("");
    ASSERT_EQ(chars.Length(), 3);
    EXPECT_EQ(chars[2], String("c"));
    EXPECT_TRUE(String().Split("").IsEmptyBody());

    String whole("no separator here");
    Array<String> one = whole.Split(";");
    ASSERT_EQ(one.Length(), 1);
    EXPECT_TRUE(one[0].SameBody(whole));

    Array<String> overlap = String("aaaa").Split("aa");
    EXPECT_EQ(overlap.Length(), 3);
}

TEST(Strings, Replace) {
    String s("one two one");
    EXPECT_EQ(s.Replace("one", "1"), String("1 two 1"));
    EXPECT_EQ(s.Replace("one", ""), String(" two "));
    EXPECT_EQ(String("aaa").Replace("aa", "b"), String("ba"));
    EXPECT_TRUE(s.Replace("zzz", "y").SameBody(s));
    EXPECT_TRUE(s.Replace("", "y").SameBody(s));
    EXPECT_EQ(String("ab").Replace("ab", "").Length(), 0);
}

TEST(Strings, ConcatenationSharesWithEmpty) {
    String a("abc");
    EXPECT_TRUE((a + String()).SameBody(a));
    EXPECT_TRUE((String() + a).SameBody(a));
    EXPECT_EQ(a + "def", String("abcdef"));
}

TEST(Strings, ToIntAndToLower) {
    EXPECT_EQ(String(" -42abc").ToInt(), -42);
    EXPECT_EQ(String().ToInt(), 0);
    EXPECT_EQ(String("+17").ToInt(), 17);
    String lower("already lower");
    EXPECT_TRUE(lower.ToLower().SameBody(lower));
    EXPECT_EQ(String("File.PNG").ToLower(), String("file.png"));
}

TEST(Strings, Utf8Encoding) {
    const uint16_t units[] = {'A', 0xe9, 0x20ac, 0xD83D, 0};
    EXPECT_EQ(Utf8(String(units)), "A\xc3\xa9\xe2\x82\xac\xed\xa0\xbd");
}

TEST(Strings, FromBytesByteOrderMarks) {
    EXPECT_EQ(BytesToString({0xff, 0xfe, 0x41, 0x00, 0x42}), String("A"));
    EXPECT_EQ(BytesToString({0xfe, 0xff, 0x00, 0x41, 0x20, 0xac}).Data()[1], 0x20ac);
    EXPECT_EQ(BytesToString({0xef, 0xbb, 0xbf, 'h', 'i'}), String("hi"));
    EXPECT_EQ(BytesToString({0xff, 0xfe}).Length(), 0);
    EXPECT_EQ(BytesToString({}).Length(), 0);
}

TEST(Strings, FromBytesFallsBackToEightBit) {
    String s = BytesToString({'c', 'a', 'f', 0xe9});
    ASSERT_EQ(s.Length(), 4);
    EXPECT_EQ(s[3], 0xe9);
    // Stray continuation, four-byte lead, cut-off sequence.
    EXPECT_EQ(BytesToString({0x80, 'a'}).Length(), 2);
    EXPECT_EQ(BytesToString({0xf0, 0x9f, 0x98, 0x80}).Length(), 4);
    EXPECT_EQ(BytesToString({'a', 0xe2, 0x82}).Length(), 3);
}

TEST(Strings, Utf8RoundTripsThroughFromBytes) {
    std::vector<uint16_t> units;
    for (uint32_t u = 1; u < 0x10000; u += 7) units.push_back(static_cast<uint16_t>(u));
    String original = String::FromUtf16(units.data(), static_cast<int>(units.size()));
    std::vector<unsigned char> bytes;
    original.ToUtf8(bytes);
    EXPECT_EQ(BytesToString(bytes), original);
}

TEST(Strings, LoadTextReadsAcrossChunks) {
    std::FILE* f = std::tmpfile();
    std::string text(10000, 'x');
    text += "\xc3\xa9";
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    String s = String::LoadText(f);
    std::fclose(f);
    ASSERT_EQ(s.Length(), 10001);
    EXPECT_EQ(s[10000], 0xe9);
}

TEST(Strings, FreshBytesCountLiveBodiesOnly) {
    int start = gc_read_counters().fresh_bytes;
    {
        String keep("0123456789");  // 8 + 20 bytes
        EXPECT_EQ(gc_read_counters().fresh_bytes - start, 28);
        for (int i = 0; i < 1000; ++i) {
            String joined = keep + String(i) + "," + keep.Slice(2, 5);
            String back = joined.Replace("0", "zero").ToLower().Trim().Copy();
            EXPECT_GT(gc_read_counters().fresh_bytes - start, 28);
        }
        EXPECT_EQ(gc_read_counters().fresh_bytes - start, 28);
    }
    EXPECT_EQ(gc_read_counters().fresh_bytes, start);
    EXPECT_TRUE(String("abc").Slice(1, 1).SameBody(String()));
}

// The empty body is shared by every empty string and never counted: made,
// copied, moved, assigned or released, its count stays where it started
// (released uncounted, it once drifted down by one each time).
TEST(Strings, EmptyBodyIsNeverCounted) {
    const String text("ab");
    struct Case {
        const char* what;
        void (*run)(const String& text);
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const int before = String::empty_rep()->refs;
        for (int i = 0; i < 1000; ++i) c.run(text);
        EXPECT_EQ(String::empty_rep()->refs, before) << c.what;
    }
    EXPECT_EQ(String::empty_rep()->refs, 1);
}

}  // namespace

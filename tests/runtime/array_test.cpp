// Arrays: static empty bodies, element initialisation, resize and slice.
#include <gtest/gtest.h>

#include "runtime/array.h"

namespace {

struct Thing : Object {};

TEST(Arrays, EmptyArraysAreTheStaticBody) {
    Array<int> a(0), b(-1), c;
    EXPECT_EQ(a.Body(), b.Body());
    EXPECT_EQ(a.Body(), c.Body());
    EXPECT_EQ(a.Length(), 0);
    EXPECT_EQ(a.Body()->flags, 3u);
    EXPECT_NE(static_cast<void*>(Array<float>().Body()), static_cast<void*>(a.Body()));
    gc_collect_full();
    gc_collect_full();
    EXPECT_EQ(a.Body()->flags, 3u);
    EXPECT_TRUE(gc_is_known_object(a.Body()));
}

TEST(Arrays, NewElementsAreZeroOrEmpty) {
    Array<String> s(3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(s[i].SameBody(String()));
    Array<Thing*> t(2);
    EXPECT_EQ(t[0], nullptr);
    Array<float> f(2);
    EXPECT_EQ(f[1], 0.0f);
}

TEST(Arrays, ResizeKeepsThePrefixAndZeroesTheRest) {
    Array<int> a(10);
    for (int i = 0; i < 10; ++i) a.Set(i, i + 1);
    Array<int> grown = a.Resize(30);
    ASSERT_EQ(grown.Length(), 30);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(grown[i], i + 1);
    for (int i = 10; i < 30; ++i) EXPECT_EQ(grown[i], 0);
    Array<int> shrunk = a.Resize(4);
    ASSERT_EQ(shrunk.Length(), 4);
    EXPECT_EQ(shrunk[3], 4);
    EXPECT_EQ(a.Length(), 10);
    EXPECT_TRUE(a.Resize(0).IsEmptyBody());
}

TEST(Arrays, SliceClampsAndCopies) {
    Array<int> a(5);
    for (int i = 0; i < 5; ++i) a.Set(i, i);
    Array<int> all = a.Slice(0, 5);
    EXPECT_NE(all.Body(), a.Body());
    EXPECT_EQ(all.Length(), 5);
    Array<int> mid = a.Slice(-3, 3);
    EXPECT_EQ(mid.Length(), 3);
    EXPECT_TRUE(a.Slice(4, 2).IsEmptyBody());
    EXPECT_EQ(a.Slice(3, 99).Length(), 2);
}

TEST(Arrays, StringElementsHoldCountedReferences) {
    int fresh = gc_read_counters().fresh_bytes;
    {
        String text("hello");
        Array<String> a(2);
        a.Set(0, text);
        a.Set(1, text);
        EXPECT_TRUE(a[1].SameBody(text));
        Array<String> copy = a.Resize(3);
        EXPECT_TRUE(copy[0].SameBody(text));
    }
    // Destroy the arrays: the text's body goes with them.
    gc_collect_full();
    gc_collect_full();
    gc_reclaim_all();
    // The two array bodies stay counted; the text's body came and went.
    EXPECT_EQ(gc_read_counters().fresh_bytes - fresh, 48 + 56);
}

}  // namespace

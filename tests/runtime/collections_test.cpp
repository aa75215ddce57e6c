// Maps (red-black trees checked against std::map) and the stack.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "runtime/map.h"
#include "runtime/stack.h"

namespace {

struct Value : Object {
    int n;
    explicit Value(int v) : n(v) {}
};
using IntMap = c_IntMapOf<Value>;
using Node = c_NodeOf<Value>;

// Returns the black height, or -1 when an invariant fails.
int CheckSubtree(Node* node, Node* parent, long long lo, long long hi) {
    if (!node) return 1;
    if (node->parent != parent || node->key <= lo || node->key >= hi) return -1;
    if (node->color == Node::kRed && ((node->left && node->left->color == Node::kRed) ||
                                      (node->right && node->right->color == Node::kRed)))
        return -1;
    int l = CheckSubtree(node->left, node, lo, node->key);
    int r = CheckSubtree(node->right, node, node->key, hi);
    if (l < 0 || l != r) return -1;
    return l + (node->color == Node::kBlack ? 1 : 0);
}

TEST(Maps, AscendingKeysGiveTheExpectedShape) {
    IntMap* m = gc_new<IntMap>();
    for (int k = 1; k <= 7; ++k) m->Add(k, gc_new<Value>(k));
    Node* root = m->root;
    ASSERT_EQ(root->key, 2);
    EXPECT_EQ(root->color, Node::kBlack);
    EXPECT_EQ(root->left->key, 1);
    EXPECT_EQ(root->left->color, Node::kBlack);
    Node* four = root->right;
    ASSERT_EQ(four->key, 4);
    EXPECT_EQ(four->color, Node::kRed);
    EXPECT_EQ(four->left->key, 3);
    EXPECT_EQ(four->left->color, Node::kBlack);
    Node* six = four->right;
    ASSERT_EQ(six->key, 6);
    EXPECT_EQ(six->color, Node::kBlack);
    EXPECT_EQ(six->left->key, 5);
    EXPECT_EQ(six->left->color, Node::kRed);
    EXPECT_EQ(six->right->key, 7);
    EXPECT_EQ(six->right->color, Node::kRed);
}

TEST(Maps, AddKeepsFirstValueSetReplaces) {
    IntMap* m = gc_new<IntMap>();
    EXPECT_EQ(m->Get(3), nullptr);
    Value* a = gc_new<Value>(1);
    Value* b = gc_new<Value>(2);
    EXPECT_TRUE(m->Add(3, a));
    EXPECT_FALSE(m->Add(3, b));
    EXPECT_EQ(m->Get(3), a);
    EXPECT_FALSE(m->Set(3, b));
    EXPECT_EQ(m->Get(3), b);
    EXPECT_TRUE(m->Set(4, a));
    EXPECT_TRUE(m->Contains(4));
    EXPECT_FALSE(m->Contains(5));
}

TEST(Maps, RandomInsertionsMatchStdMapAndKeepInvariants) {
    static IntMap* m;
    gc_clear_roots();
    gc_add_root(+[]() -> gc_object* { return m; });
    gc_assign(m, gc_new<IntMap>());
    std::map<int, int> expected;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        int key = static_cast<int>(rng() % 20000) - 10000;
        int value = static_cast<int>(rng() % 1000);
        bool inserted = m->Set(key, gc_new<Value>(value));
        EXPECT_EQ(inserted, expected.count(key) == 0);
        expected[key] = value;
        if (i % 500 == 0) gc_collect_full();  // the tree must survive collections
    }
    gc_collect_full();
    gc_collect_full();
    gc_reclaim_all();
    ASSERT_GT(CheckSubtree(m->root, nullptr, -(1LL << 40), 1LL << 40), 0);
    EXPECT_EQ(m->root->color, Node::kBlack);
    for (auto& [key, value] : expected) ASSERT_EQ(m->Get(key)->n, value);
    EXPECT_EQ(m->Get(20001), nullptr);
    EXPECT_STREQ(gc_check_heap(), "");
    gc_clear_roots();
}

TEST(Stacks, GrowthSequenceAndToArray) {
    using Stack = c_StackOf<Value>;
    Stack* s = gc_new<Stack>();
    EXPECT_TRUE(s->ToArray().IsEmptyBody());
    s->Push(gc_new<Value>(0));
    EXPECT_EQ(s->data.Length(), 10);
    for (int i = 1; i < 11; ++i) s->Push(gc_new<Value>(i));
    EXPECT_EQ(s->data.Length(), 30);
    Array<Value*> all = s->ToArray();
    ASSERT_EQ(all.Length(), 11);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(all[i]->n, i);

    Stack* t = gc_new<Stack>(all);
    EXPECT_EQ(t->length, 11);
    EXPECT_NE(t->data.Body(), all.Body());
    t->Push(all, 9);
    EXPECT_EQ(t->length, 13);
    t->Push(all, 20);
    t->Push(all, 0, 0);
    EXPECT_EQ(t->length, 13);
    t->Push(all, 1, 2);
    EXPECT_EQ(t->ToArray()[14]->n, 2);
}

}  // namespace

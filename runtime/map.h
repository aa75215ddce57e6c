// Ordered maps from int keys to object references, built as red-black trees,
// and the node class they share. Nodes are never removed: a map only grows
// and is dropped whole with its owner. Every pointer store into a node or the
// map passes the write barrier.
//
// The framework's concrete names are aliases of these templates, declared
// beside the value class they hold (c_Map / c_Node / c_IntMap for glyphs,
// c_Map2 / c_Node2 / c_IntMap2 for display modes).
#pragma once

#include "runtime/gc.h"

template <class V>
struct c_NodeOf : Object {
    static constexpr int kRed = -1;
    static constexpr int kBlack = 1;

    int key;
    c_NodeOf* right;
    c_NodeOf* left;
    V* value;
    int color;
    c_NodeOf* parent;

    c_NodeOf(int k, V* v, int c, c_NodeOf* p)
        : key(k), right(nullptr), left(nullptr), value(nullptr), color(c), parent(nullptr) {
        gc_assign(value, v);
        gc_assign(parent, p);
    }
    void mark() override {
        gc_shade(right);
        gc_shade(left);
        gc_shade(value);
        gc_shade(parent);
    }
};

template <class V>
struct c_MapOf : Object {
    using Node = c_NodeOf<V>;
    Node* root = nullptr;

    // Keys compare through this; Object's identity Compare stays visible.
    using Object::Compare;
    virtual int Compare(int a, int b) = 0;
    void mark() override { gc_shade(root); }

    Node* FindNode(int key) {
        Node* node = root;
        while (node) {
            int c = CompareKeys(key, node->key);
            if (c > 0) node = node->right;
            else if (c < 0) node = node->left;
            else return node;
        }
        return nullptr;
    }
    V* Get(int key) {
        Node* node = FindNode(key);
        return node ? node->value : nullptr;
    }
    bool Contains(int key) { return FindNode(key) != nullptr; }
    // Inserts when absent; a present key keeps its first value.
    bool Add(int key, V* value) { return Insert(key, value, false); }
    // Inserts when absent, else replaces the value; true only on insertion.
    bool Set(int key, V* value) { return Insert(key, value, true); }

    void RotateLeft(Node* x) {
        Node* y = x->right;
        gc_assign(x->right, y->left);
        if (y->left) gc_assign(y->left->parent, x);
        gc_assign(y->parent, x->parent);
        ReplaceChild(x, y);
        gc_assign(y->left, x);
        gc_assign(x->parent, y);
    }
    void RotateRight(Node* x) {
        Node* y = x->left;
        gc_assign(x->left, y->right);
        if (y->right) gc_assign(y->right->parent, x);
        gc_assign(y->parent, x->parent);
        ReplaceChild(x, y);
        gc_assign(y->right, x);
        gc_assign(x->parent, y);
    }
    void InsertFixup(Node* node) {
        while (node->parent && node->parent->color == Node::kRed) {
            Node* g = node->parent->parent;
            if (!g) break;
            if (node->parent == g->left) node = FixLeft(node, g);
            else node = FixRight(node, g);
        }
        root->color = Node::kBlack;
    }

protected:
    // Subclasses whose Compare is plain subtraction skip the virtual call.
    bool intKeys = false;

private:
    int CompareKeys(int a, int b) {
        return intKeys ? static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b)) : Compare(a, b);
    }

    bool Insert(int key, V* value, bool replace) {
        Node* node = root;
        Node* parent = nullptr;
        int c = 0;
        while (node) {
            parent = node;
            c = CompareKeys(key, node->key);
            if (c > 0) node = node->right;
            else if (c < 0) node = node->left;
            else {
                if (replace) gc_assign(node->value, value);
                return false;
            }
        }
        Node* fresh = gc_new<Node>(key, value, Node::kRed, parent);
        if (!parent) gc_assign(root, fresh);
        else if (c > 0) gc_assign(parent->right, fresh);
        else gc_assign(parent->left, fresh);
        InsertFixup(fresh);
        return true;
    }

    void ReplaceChild(Node* old_child, Node* new_child) {
        Node* p = old_child->parent;
        if (!p) gc_assign(root, new_child);
        else if (p->left == old_child) gc_assign(p->left, new_child);
        else gc_assign(p->right, new_child);
    }

    Node* FixLeft(Node* node, Node* g) {
        Node* uncle = g->right;
        if (uncle && uncle->color == Node::kRed) {
            node->parent->color = Node::kBlack;
            uncle->color = Node::kBlack;
            g->color = Node::kRed;
            return g;
        }
        if (node == node->parent->right) {
            node = node->parent;
            RotateLeft(node);
        }
        node->parent->color = Node::kBlack;
        g->color = Node::kRed;
        RotateRight(g);
        return node;
    }

    Node* FixRight(Node* node, Node* g) {
        Node* uncle = g->left;
        if (uncle && uncle->color == Node::kRed) {
            node->parent->color = Node::kBlack;
            uncle->color = Node::kBlack;
            g->color = Node::kRed;
            return g;
        }
        if (node == node->parent->left) {
            node = node->parent;
            RotateRight(node);
        }
        node->parent->color = Node::kBlack;
        g->color = Node::kRed;
        RotateLeft(g);
        return node;
    }
};

// Map whose keys compare by 32-bit subtraction.
template <class V>
struct c_IntMapOf : c_MapOf<V> {
    c_IntMapOf() { this->intKeys = true; }
    int Compare(int a, int b) override {
        return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
    }
};

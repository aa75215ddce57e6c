// Array<T>: a fixed-length collected array, held by value as one pointer to
// its body. The body is a gc_object followed by `length` elements. An array
// is never null: every empty array of an element type is that type's static
// empty body, which lives in no collector list and is never freed.
//
// Element kinds: String (counted references, released by the destructor),
// object references (marked at once when the body is marked), and plain
// values (bool, int, float; nothing to mark or release). Element reads have
// no range test; element stores of references pass the write barrier.
#pragma once

#include <cstdlib>
#include <type_traits>

#include "runtime/gc.h"
#include "runtime/string.h"

template <class T>
class Array {
public:
    // Aligned to 8 so that 32-bit targets (the web build) keep the header
    // a multiple of 8 bytes as well.
    struct alignas(8) Rep : gc_object {
        int length;

        Rep(int n) : length(n) { InitElements(0, n); }
        constexpr explicit Rep(static_tag tag) : gc_object(tag), length(0) {}
        ~Rep() override {
            if constexpr (std::is_same_v<T, String>)
                for (int i = 0; i < length; ++i) Elements()[i].~String();
        }
        void mark() override {
            if constexpr (std::is_pointer_v<T>)
                for (int i = 0; i < length; ++i) gc_mark_now(Elements()[i]);
        }
        // Elements start right after the header; the header is a multiple of
        // 8 bytes, so every element type is aligned.
        T* Elements() { return reinterpret_cast<T*>(this + 1); }
        void InitElements(int from, int to) {
            for (int i = from; i < to; ++i) new (Elements() + i) T();
        }
    };
    static_assert(sizeof(Rep) % 8 == 0, "array header must keep elements aligned");

    Array() : rep(EmptyBody()) {}
    explicit Array(int n) : rep(n <= 0 ? EmptyBody() : Allocate(n)) {}
    explicit Array(Rep* body) : rep(body) {}

    int Length() const { return rep->length; }
    T operator[](int i) const { return rep->Elements()[i]; }
    T* Data() const { return rep->Elements(); }
    Rep* Body() const { return rep; }
    bool IsEmptyBody() const { return rep == EmptyBody(); }

    // Stores an element; references pass the write barrier first.
    void Set(int i, const T& value) const {
        if constexpr (std::is_pointer_v<T>) gc_shade(value);
        rep->Elements()[i] = value;
    }

    // A new array of n elements holding the first min(Length(), n) of these.
    Array Resize(int n) const {
        Array out(n);
        int keep = n < Length() ? n : Length();
        for (int i = 0; i < keep; ++i) out.Set(i, (*this)[i]);
        return out;
    }

    // Elements from..to-1, both clamped to 0..Length(); always a new body
    // unless the result is empty.
    Array Slice(int from, int to) const {
        int n = Length();
        from = from < 0 ? 0 : (from > n ? n : from);
        to = to < 0 ? 0 : (to > n ? n : to);
        if (from >= to) return Array();
        Array out(to - from);
        for (int i = from; i < to; ++i) out.Set(i - from, (*this)[i]);
        return out;
    }
    Array Slice(int from) const { return Slice(from, Length()); }

    static Rep* EmptyBody() {
        static Rep* body = MakeEmptyBody();
        return body;
    }

private:
    // Built in place and never destroyed: arrays held by other statics may
    // still point at it while the program's statics are torn down.
    static Rep* MakeEmptyBody() {
        alignas(Rep) static unsigned char storage[sizeof(Rep)];
        Rep* body = new (storage) Rep(gc_object::static_tag{});
        gc_register_static(body);
        return body;
    }
    static Rep* Allocate(int n) {
        long long bytes = static_cast<long long>(sizeof(Rep)) + static_cast<long long>(n) * sizeof(T);
        if (bytes > 0x7ffffff0LL) std::abort();  // beyond what the size field can hold
        void* memory = gc_allocate(static_cast<int>(bytes));
        return new (memory) Rep(n);
    }

    Rep* rep;
};

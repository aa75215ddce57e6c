// c_StackOf<T>: a growable stack of object references over an Array of
// them. Capacity grows to (length + 5) * 2, so it runs 0, 10, 30, 70, 150...
// The concrete c_Stack is an alias declared beside its element class.
#pragma once

#include "runtime/array.h"

template <class T>
struct c_StackOf : Object {
    Array<T*> data;
    int length = 0;

    c_StackOf() {}
    explicit c_StackOf(Array<T*> from) : data(from.Slice(0)), length(from.Length()) {
        gc_mark_now(data.Body());
    }
    void mark() override { gc_shade(data.Body()); }

    void Push(T* value) {
        if (length == data.Length()) {
            data = data.Resize((length + 5) * 2);
            gc_mark_now(data.Body());
        }
        data.Set(length, value);
        ++length;
    }
    void Push(Array<T*> values, int offset) { Push(values, offset, values.Length() - offset); }
    void Push(Array<T*> values, int offset, int count) {
        for (int i = 0; i < count; ++i) Push(values[offset + i]);
    }
    Array<T*> ToArray() {
        Array<T*> out(length);
        for (int i = 0; i < length; ++i) out.Set(i, data[i]);
        return out;
    }
};

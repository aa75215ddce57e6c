// String: immutable UTF-16 text held by value as one pointer to a shared,
// reference-counted body. Strings are not collected objects, but the bytes of
// their bodies count in the collector's fresh_bytes so that text churn paces
// collection like object allocation does.
//
// Ownership: every String holds one reference to its body; copies add one,
// destruction releases one, and the last release frees the body. The empty
// string is one static body that is never freed and never counted; no
// operation allocates a body of length zero. Operations never change their
// receiver: they return new strings or the receiver itself (shared, no copy).
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

template <class T> class Array;

class String {
public:
    // One block of 8 + 2 * length bytes: the header, then `length` units
    // with no terminator.
    struct Rep {
        int refs;
        int length;
        uint16_t* Units() { return reinterpret_cast<uint16_t*>(this + 1); }
    };

    String() : rep(empty_rep()) {}
    String(const String& other) : rep(other.rep) { Retain(rep); }
    String(String&& other) noexcept : rep(other.rep) { other.rep = empty_rep(); }
    ~String() { Release(rep); }
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    // Zero-terminated 8-bit text: one unit per byte, each byte widened as a
    // signed 8-bit value (0x80..0xFF become 0xFF80..0xFFFF).
    String(const char* text);  // NOLINT: literals convert implicitly
    // Zero-terminated UTF-16 text, up to its terminating 0.
    explicit String(const uint16_t* units);
    explicit String(int value);    // "%i"
    explicit String(float value);  // "%.17lg" of the widened value, ".0" added when needed
    static String FromUtf16(const uint16_t* units, int count);
    // 8-bit text of a given length, each byte zero-extended.
    static String FromLatin1(const unsigned char* bytes, int count);
    String Copy() const;  // a new body with the same units

    int Length() const { return rep->length; }
    int operator[](int i) const { return rep->Units()[i]; }
    const uint16_t* Data() const { return rep->Units(); }
    bool SameBody(const String& other) const { return rep == other.rep; }

    bool operator==(const String& other) const;
    bool operator!=(const String& other) const { return !(*this == other); }
    String operator+(const String& other) const;
    String& operator+=(const String& other) { return *this = *this + other; }

    int Find(const String& text, int start = 0) const;
    int FindLast(const String& text) const;
    bool Contains(const String& text) const { return Find(text) != -1; }
    bool StartsWith(const String& prefix) const;
    bool EndsWith(const String& suffix) const;
    String Slice(int from) const { return Slice(from, Length()); }
    String Slice(int from, int to) const;
    String Trim() const;
    Array<String> Split(const String& separator) const;
    String Replace(const String& find, const String& with) const;
    String ToLower() const;
    int ToInt() const;

    // Appends the UTF-8 bytes; surrogates are encoded one by one, unpaired.
    void ToUtf8(std::vector<unsigned char>& out) const;
    // The low 8 bits of each unit, zero-terminated (platform 8-bit calls).
    void ToLatin1(std::vector<char>& out) const;

    // Decodes the bytes of a text file: UTF-16 with either byte-order mark,
    // else UTF-8 (optional mark), else 8-bit text when the UTF-8 is invalid.
    static String FromBytes(const unsigned char* bytes, int count);
    // Reads an open file to its end and decodes it with FromBytes.
    static String LoadText(std::FILE* file);

    static Rep* empty_rep() { return &empty_body; }

private:
    static Rep empty_body;

    explicit String(Rep* body) : rep(body) {}
    static Rep* Allocate(int length);
    static void Retain(Rep* rep) {
        if (rep != &empty_body) ++rep->refs;
    }
    static void Release(Rep* rep);
    int CountMatches(const String& text) const;

    Rep* rep;
};

String operator+(const char* a, const String& b);

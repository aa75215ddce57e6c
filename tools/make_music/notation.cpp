#include "notation.h"

#include <sstream>
#include <stdexcept>

namespace moonlit::music {

namespace {

// Pitch class of a letter with an optional '#', and how many characters it used.
int ParsePitchClass(const std::string& s, std::size_t* used) {
    static const int kLetter[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (s.empty() || s[0] < 'A' || s[0] > 'G') throw std::invalid_argument("bad note name: " + s);
    int pc = kLetter[s[0] - 'A'];
    *used = 1;
    if (s.size() > 1 && s[1] == '#') {
        pc = (pc + 1) % 12;
        *used = 2;
    }
    return pc;
}

}  // namespace

int NoteNumber(const std::string& name) {
    std::size_t used = 0;
    int pc = ParsePitchClass(name, &used);
    if (name.size() != used + 1 || name[used] < '0' || name[used] > '7')
        throw std::invalid_argument("bad note name: " + name);
    return (name[used] - '0') * 12 + pc + 1;
}

Chord ParseChord(const std::string& name) {
    std::size_t used = 0;
    Chord c;
    c.root = ParsePitchClass(name, &used);
    std::string rest = name.substr(used);
    if (rest == "m")
        c.minor = true;
    else if (!rest.empty())
        throw std::invalid_argument("bad chord name: " + name);
    return c;
}

int NoteAtOrAbove(int pitch_class, int lowest) {
    int note = lowest;
    while (PitchClass(note) != pitch_class) ++note;
    return note;
}

std::vector<PhraseNote> ParsePhrase(const std::string& text) {
    std::vector<PhraseNote> phrase;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (token == "|") continue;
        std::size_t colon = token.find(':');
        if (colon == std::string::npos || colon == 0) throw std::invalid_argument("bad phrase token: " + token);
        PhraseNote n;
        std::string pitch = token.substr(0, colon);
        n.note = pitch == "-" ? 0 : NoteNumber(pitch);
        std::size_t pos = colon + 1;
        std::size_t digits = 0;
        n.rows = 0;
        while (pos < token.size() && token[pos] >= '0' && token[pos] <= '9') {
            n.rows = n.rows * 10 + (token[pos++] - '0');
            ++digits;
        }
        if (digits == 0 || n.rows == 0) throw std::invalid_argument("bad phrase length: " + token);
        for (; pos < token.size(); ++pos) {
            switch (token[pos]) {
            case 'v': n.vibrato = true; break;
            case 'p': n.glide = true; break;
            case 'f': n.fall = true; break;
            case 'r': n.rise = true; break;
            default: throw std::invalid_argument("bad phrase flag: " + token);
            }
        }
        if (n.note == 0 && (n.vibrato || n.glide || n.fall || n.rise))
            throw std::invalid_argument("a rest takes no flags: " + token);
        phrase.push_back(n);
    }
    return phrase;
}

int PhraseRows(const std::vector<PhraseNote>& phrase) {
    int rows = 0;
    for (const PhraseNote& n : phrase) rows += n.rows;
    return rows;
}

}  // namespace moonlit::music

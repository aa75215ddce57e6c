// The demo's words and its logo bitmap.
#include "demo/demo_text.h"

#include <cstdint>

namespace {

const char* const kInfoLines[kInfoLineCount] = {
    nullptr,  // the title line is built with its emoticon, see InfoLine
    "---------------------------------",
    "Ahoy, night owls!*****************",
    "I wanted to show you a tune of my",
    " own in an oldschool effect show",
    "The tune was made with a tracker.",
    " to my ears it sounds close to",
    "a tune for an old sound chip... ",
    "           Sail safely          ",
};

const int kShadowY[kInfoLineCount] = {34, 50, 98, 130, 162, 194, 228, 257, 289};

// Code 176 (a degree sign) as eyes: the font stops at 122, so they are not
// drawn and the face shows as "( o )" with gaps.
String TitleLine() {
    const uint16_t face[] = {'(', 176, 'o', 176, ')', 0};
    return String("Moonlit Harbor - brinecrew ") + String(face);
}

}  // namespace

const String& InfoLine(int i) {
    // Built once: the show draws every line twice per frame.
    static const String lines[kInfoLineCount] = {
        TitleLine(),           String(kInfoLines[1]), String(kInfoLines[2]),
        String(kInfoLines[3]),  String(kInfoLines[4]), String(kInfoLines[5]),
        String(kInfoLines[6]),  String(kInfoLines[7]), String(kInfoLines[8]),
    };
    return lines[i];
}

int InfoShadowX(int) { return 18; }

int InfoShadowY(int i) { return kShadowY[i]; }

String ScrollText() {
    return String(
        "Hi there! This is torvin waving from the quay. Warm greetings go to my mates in brinecrew "
        "and to all of you who've come down to the harbor tonight. Enjoy it!");
}

String LogoPattern() {
    // Rows 0-19, rows 0-19 again, then rows 0-18.
    return String(
        "00001110100111101001111000001110100111101010100100001111100010001000111100000000"
        "00001110100111101001111000001110100111101010100100001111100010001000111100000000"
        "0000111010011110100111100000111010011110101010010000111110001000100011110000");
}

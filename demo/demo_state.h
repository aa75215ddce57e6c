// The demo's module state: every counter and setting of the show lives here
// for the whole run. demoFont is a collector root.
#pragma once

#include <cmath>

#include "runtime/string.h"

struct c_Font;

// The screen the show is laid out on, in pixels.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// Scroller characters stand this many pixels apart.
constexpr int kScrollSpacing = 18;

extern c_Font* demoFont;
extern String scrollText;
extern int scrollX;          // x of the scroller's first character, pixels
extern float scrollBaseY;    // base line of the scroller
extern float scrollWave;     // wave offset carried from character to character
extern float plasmaPhase;    // degrees
extern float plasmaScale;    // zoom of the plasma, 2 sin(plasmaPhase)
extern float logoPhase;      // degrees
extern float logoRowOffset;  // whole values 0..7
extern String logoPattern;

// Gives every variable its start-up value and registers demoFont as a root.
void InitDemoGlobals();

// Sine and cosine of an angle in degrees as the show computes them: the
// angle times the float pi/180 in float, the function in double precision,
// the result rounded to float. Every pixel of the show depends on this order.
// Inline: the show evaluates some 14,000 of them per frame.
inline float DegSin(float degrees) {
    float radians = degrees * 0.0174532924f;
    return static_cast<float>(std::sin(static_cast<double>(radians)));
}
inline float DegCos(float degrees) {
    float radians = degrees * 0.0174532924f;
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

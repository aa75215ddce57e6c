// The demo's words and its logo bitmap: the nine info lines, the scroll
// text and the 59 × 4 logo pattern.
#pragma once

#include "runtime/string.h"

constexpr int kInfoLineCount = 9;

// Line i of the info text (0..8). Line 0 ends in an emoticon whose eyes are
// two characters of code 176, outside the font: they are not drawn.
const String& InfoLine(int i);
// Where line i's shadow is drawn; the text itself stands 2 pixels left of
// and 2 pixels above its shadow.
int InfoShadowX(int i);
int InfoShadowY(int i);

// The scroller's one line: 157 characters in the font's range.
String ScrollText();

// 236 characters of '0' and '1': 59 rows of 4 cells, three letters repeated
// with a period of 20 rows.
String LogoPattern();

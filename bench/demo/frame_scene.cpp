// The plain frame's packing, words and update.
#include "bench/demo/frame_scene.h"

#include "demo/demo_text.h"

namespace scene {

namespace {

// Toward zero; out of range and NaN give INT32_MIN like the renderer.
uint32_t Term(float value) {
    double d = value;
    if (!(d > -2147483649.0 && d < 2147483648.0)) return 0x80000000u;
    return static_cast<uint32_t>(static_cast<int32_t>(d));
}

std::u16string Units(const String& s) {
    std::u16string out;
    for (int i = 0; i < s.Length(); ++i) out.push_back(static_cast<char16_t>(s[i]));
    return out;
}

}  // namespace

uint32_t Pack(float r, float g, float b) { return 255u << 24 | Term(b) << 16 | Term(g) << 8 | Term(r); }

Text ShowText(int fontImageWidth, int fontImageHeight) {
    Text t;
    for (int i = 0; i < 9; ++i) {
        t.info[i] = Units(InfoLine(i));
        t.infoY[i] = InfoShadowY(i);
    }
    t.scroll = Units(ScrollText());
    String logo = LogoPattern();
    for (int i = 0; i < logo.Length(); ++i) t.logo.push_back(static_cast<char>(logo[i]));
    t.cellWidth = fontImageWidth / kCharCount;
    t.cellHeight = fontImageHeight;
    return t;
}

void Update(State& s, const Text& t) {
    s.scrollX -= 4;
    if (s.scrollX < -(18 * static_cast<int>(t.scroll.size()))) s.scrollX = 640;
}

}  // namespace scene

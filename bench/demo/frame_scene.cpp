// The plain frame's words and its update.
#include "bench/demo/frame_scene.h"

#include "demo/demo_text.h"

namespace scene {

namespace {

std::u16string Units(const String& s) {
    std::u16string out;
    for (int i = 0; i < s.Length(); ++i) out.push_back(static_cast<char16_t>(s[i]));
    return out;
}

}  // namespace

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

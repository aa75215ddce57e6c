// The plain frame's words and its update.
#include "tests/support/frame_scene.h"

#include "demo/demo_text.h"

namespace scene {

namespace {

std::u16string Units(const String& s) {
    std::u16string out;
    for (int i = 0; i < s.Length(); ++i) out.push_back(static_cast<char16_t>(s[i]));
    return out;
}

}  // namespace

Text ShowText(int font_image_width, int font_image_height) {
    Text t;
    for (int i = 0; i < 9; ++i) {
        t.info[i] = Units(InfoLine(i));
        t.info_y[i] = InfoShadowY(i);
    }
    t.scroll = Units(ScrollText());
    String logo = LogoPattern();
    for (int i = 0; i < logo.Length(); ++i) t.logo.push_back(static_cast<char>(logo[i]));
    t.cell_width = font_image_width / kCharCount;
    t.cell_height = font_image_height;
    return t;
}

void Update(State& s, const Text& t) {
    s.scroll_x -= 4;
    if (s.scroll_x < -(18 * static_cast<int>(t.scroll.size()))) s.scroll_x = 640;
}

}  // namespace scene

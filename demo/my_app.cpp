// The demo application's four operations.
#include "demo/my_app.h"

#include <cstdio>

#include "audio/module_music.h"
#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/effects.h"
#include "graphics/font.h"
#include "graphics/graphics_context.h"

namespace {

// The window's icon, one of the sizes make-icons draws.
const char* const kWindowIconPath = "vantorix://data/icons/moonlit-harbor-64.png";

}  // namespace

int c_MyApp::OnCreate() {
    game->SetWindowIcon(String(kWindowIconPath));
    SetUpdateRate(50);
    gc_assign(demoFont, LoadFont(String("fonti.png"), 32, 91, false));
    SetFont(demoFont);  // null falls back to the default font
    // Without the default font either the show runs without its text; the
    // user should know why.
    if (!context->font)
        std::fprintf(stderr, "No font could be loaded (data/fonti.png, data/kova_font.png): the text is left out\n");
    scrollText = ScrollText();
    scrollX = kScreenWidth;
    scrollBaseY = 400.0f;
    InitModulePlayer();
    PlayModule(String("spartanic.xm"));
    return 0;
}

int c_MyApp::OnUpdate() {
    scrollX -= 4;
    if (scrollX < -(kScrollSpacing * scrollText.Length())) scrollX = kScreenWidth;
    UpdateModulePlayer();
    return 0;
}

int c_MyApp::OnRender() {
    Clear(0.0f, 0.0f, 0.0f);
    DrawPlasma();
    DrawLogoStrip();
    DrawInfoText();
    DrawScroller();
    DrawBars();
    return 0;
}

int c_MyApp::OnClose() {
    StopModule();
    StopModule();  // with no module left this only stops the player again
    EndApplication();
}

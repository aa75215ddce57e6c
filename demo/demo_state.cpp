// The demo's module state and its start-up values.
#include "demo/demo_state.h"

#include "demo/demo_text.h"
#include "graphics/font.h"
#include "runtime/gc.h"

c_Font* demoFont = nullptr;
String scrollText;
int scrollX = 0;
float scrollBaseY = 0.0f;
float scrollWave = 0.0f;
float plasmaPhase = 0.0f;
float plasmaScale = 0.0f;
float logoPhase = 0.0f;
float logoRowOffset = 0.0f;
String logoPattern;

void InitDemoGlobals() {
    demoFont = nullptr;
    scrollText = String();
    scrollX = 0;
    scrollBaseY = 0.0f;
    scrollWave = 0.0f;
    plasmaPhase = 0.0f;
    plasmaScale = 0.0f;
    logoPhase = 0.0f;
    logoRowOffset = 0.0f;
    logoPattern = LogoPattern();
    gc_add_root(+[]() -> gc_object* { return demoFont; });
}

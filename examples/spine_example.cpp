// The smallest application on the framework: it opens the game window,
// counts its callbacks, draws a few rectangles, an image and text in the
// default font and, on the window's close request, prints what it counted
// and ends with status 0.
#include "app/framework.h"
#include "graphics/font.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"

namespace {

struct c_CountingApp : c_App {
    int creates = 0;
    int updates = 0;
    int renders = 0;
    c_Image* image = nullptr;

    void mark() override { gc_shade(image); }

    int OnCreate() override {
        ++creates;
        SetUpdateRate(60);
        gc_assign(image, LoadImage(String("fonti.png"), 0));
        return 0;
    }
    int OnUpdate() override { return ++updates, 0; }
    int OnRender() override {
        ++renders;
        Clear(16, 24, 48);
        SetColor(220, 60, 60);
        DrawRect(40, 40, 160, 100);
        SetColor(60, 200, 90);
        SetAlpha(0.5f);
        DrawRect(120, 90, 160, 100);
        SetAlpha(1);
        SetColor(255, 255, 255);
        if (image) DrawImageRect(image, 40, 240, 0, 0, 560, image->Height(), 0);
        DrawText(String("Moonlit Harbor: rectangles, an image and text"), 320, 320, 0.5f, 0);
        SetColor(255, 220, 120);
        DrawText(String("updates ") + String(updates), 600, 440, 1, 1);
        return 0;
    }
    int OnClose() override {
        Print(String("spine-example: created ") + String(creates) + " updated " + String(updates) + " rendered " +
              String(renders));
        return c_App::OnClose();
    }
};

}  // namespace

ProgramEntry MoonlitProgram() {
    return {nullptr, [] { gc_new<c_CountingApp>(); }};
}

// The smallest application on the framework: it opens the game window,
// counts its callbacks, draws nothing and, on the window's close request,
// prints what it counted and ends with status 0.
#include "app/framework.h"

namespace {

struct c_CountingApp : c_App {
    int creates = 0;
    int updates = 0;
    int renders = 0;

    int OnCreate() override {
        ++creates;
        SetUpdateRate(60);
        return 0;
    }
    int OnUpdate() override { return ++updates, 0; }
    int OnRender() override { return ++renders, 0; }
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

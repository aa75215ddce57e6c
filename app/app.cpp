// The framework globals, the start-up, c_App and the two process-wide
// operations EndApplication and SetUpdateRate.
#include <clocale>

#include "app/framework.h"
#include "app/graphics_device.h"
#include "audio/gxtk_audio.h"
#include "host/rt_thread.h"

c_App* app = nullptr;
c_GameDelegate* gameDelegate = nullptr;
RtGame* game = nullptr;
int updateRate = 0;

namespace {

int framework_argc = 0;
char** framework_argv = nullptr;

void InitAppGlobals() {
    app = nullptr;
    gameDelegate = nullptr;
    game = CurrentGame();
    updateRate = 0;
    gc_add_root(+[]() -> gc_object* { return app; });
    gc_add_root(+[]() -> gc_object* { return gameDelegate; });
}

}  // namespace

int FrameworkArgc() { return framework_argc; }
char** FrameworkArgv() { return framework_argv; }

void StartFramework(int argc, char** argv, const ProgramEntry& program) {
    framework_argc = argc;
    framework_argv = argv;
    InstallSignalHandlers();
    if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
    gc_init();
    // Roots in a fixed order: host input, application, graphics, audio,
    // threads, then the program's own.
    RegisterInputRoots();
    InitAppGlobals();
    InitGraphicsGlobals();
    InitAudioGlobals();
    RegisterThreadRoots();
    if (program.init_globals) program.init_globals();
    gc_mark_globals();
    program.create_app();
}

c_App::c_App() {
    if (app) Error(String("App has already been created"));
    gc_assign(app, this);
    gc_assign(gameDelegate, gc_new<c_GameDelegate>());
    game->SetDelegate(gameDelegate);
}

int c_App::OnCreate() { return 0; }
int c_App::OnUpdate() { return 0; }
int c_App::OnRender() { return 0; }
int c_App::OnClose() { EndApplication(); }

void EndApplication() { Error(String()); }

void SetUpdateRate(int hertz) {
    updateRate = hertz;
    game->SetUpdateRate(hertz);
}

// The framework's application layer: c_App (the base of a program's
// application class), c_GameDelegate (what the host drives), the framework
// globals, and the start-up that creates the application.
//
// A program provides MoonlitProgram(), links moonlit_main, and derives its
// application from c_App:
//
//     struct c_MyApp : c_App { int OnCreate() override { SetUpdateRate(50); return 0; } };
//     ProgramEntry MoonlitProgram() { return {nullptr, [] { gc_new<c_MyApp>(); }}; }
#pragma once

#include "host/input_device.h"
#include "host/rt_game.h"

struct gxtkGraphics;
struct gxtkAudio;

struct c_App : Object {
    c_App();
    virtual int OnCreate();
    virtual int OnUpdate();
    virtual int OnRender();
    virtual int OnClose();  // ends the process
};

struct c_GameDelegate : RtGameDelegate {
    gxtkGraphics* graphics = nullptr;
    gxtkAudio* audio = nullptr;
    c_InputDevice* input = nullptr;

    void mark() override;
    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    void KeyEvent(int ev, int data) override;
    void MouseEvent(int ev, int data, float x, float y, float z) override;
    void TouchEvent(int ev, int data, float x, float y) override;
    void MotionEvent(int ev, int data, float x, float y, float z) override;
    void DiscardGraphics() override;
};

// Stands for the event codes (kEventKeyDown ...); no fields or operations.
struct c_RtGameEvent : Object {};

// Framework globals. Object globals are collector roots; store into them
// with gc_assign.
extern c_App* app;
extern c_GameDelegate* gameDelegate;
extern RtGame* game;
extern int updateRate;

// What a program gives the start-up: its globals' initialisation (and root
// registration; may be null) and the creation of its application object.
struct ProgramEntry {
    void (*init_globals)();
    void (*create_app)();
    // The arguments the program reads itself (FrameworkArgv), as --help
    // shows them, such as "[FRAMES]"; null when it reads none, and then the
    // command line refuses any.
    const char* arguments = nullptr;
};

// Provided by the program.
ProgramEntry MoonlitProgram();

// Signal handlers, locale, collector lists, globals and roots, one marking
// of the globals, then the application.
void StartFramework(int argc, char** argv, const ProgramEntry& program);
// The argument count and vector StartFramework was given.
int FrameworkArgc();
char** FrameworkArgv();

// Ends the process at once with status 0; nothing is shut down first.
[[noreturn]] void EndApplication();
void SetUpdateRate(int hertz);

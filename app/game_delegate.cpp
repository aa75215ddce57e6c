// c_GameDelegate: turns each host call into work on the graphics, audio and
// input devices and the application's callbacks, in a fixed order of steps.
#include "app/framework.h"
#include "app/graphics_device.h"
#include "audio/gxtk_audio.h"

void c_GameDelegate::mark() {
    gc_shade(graphics);
    gc_shade(audio);
    gc_shade(input);
}

void c_GameDelegate::StartGame() {
    gc_assign(graphics, SetUpGraphicsDevice());
    gc_assign(audio, gc_new<gxtkAudio>());
    gc_assign(audioDevice, audio);
    gc_assign(input, gc_new<c_InputDevice>());
    gc_assign(inputDevice, input);
    SyncDeviceSize();
    InitDisplayModes();
    app->OnCreate();
}

void c_GameDelegate::SuspendGame() { audio->Suspend(); }
void c_GameDelegate::ResumeGame() { audio->Resume(); }

void c_GameDelegate::UpdateGame() {
    SyncDeviceSize();
    input->PollJoysticks();
    app->OnUpdate();
    input->ClearHits();
}

void c_GameDelegate::RenderGame() {
    SyncDeviceSize();
    c_App* application = app;
    RenderBracket(graphics, [application] { application->OnRender(); });
}

void c_GameDelegate::KeyEvent(int ev, int data) {
    input->KeyEvent(ev, data);
    if (ev == kEventKeyDown && (data == kKeyCloseRequest || data == kKeyBackRequest)) app->OnClose();
}

void c_GameDelegate::MouseEvent(int ev, int data, float x, float y, float z) { input->MouseEvent(ev, data, x, y, z); }
void c_GameDelegate::TouchEvent(int ev, int data, float x, float y) { input->TouchEvent(ev, data, x, y); }
void c_GameDelegate::MotionEvent(int ev, int data, float x, float y, float z) {
    input->MotionEvent(ev, data, x, y, z);
}
void c_GameDelegate::DiscardGraphics() { graphics->DiscardGraphics(); }

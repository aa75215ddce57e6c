// c_GameDelegate: turns each host call into device work and the
// application's callbacks, in a fixed order of steps.
#include "app/device_steps.h"
#include "app/framework.h"

void c_GameDelegate::mark() {
    ShadeGraphicsDevice(graphics);
    ShadeAudioDevice(audio);
    gc_shade(input);
}

void c_GameDelegate::StartGame() {
    StartGraphicsDevice(this);
    StartAudioDevice(this);
    gc_assign(input, gc_new<c_InputDevice>());
    gc_assign(inputDevice, input);
    SyncGraphicsDeviceSize();
    InitGraphicsDisplayModes();
    app->OnCreate();
}

void c_GameDelegate::SuspendGame() { SuspendAudioDevice(this); }
void c_GameDelegate::ResumeGame() { ResumeAudioDevice(this); }

void c_GameDelegate::UpdateGame() {
    SyncGraphicsDeviceSize();
    input->PollJoysticks();
    app->OnUpdate();
    input->ClearHits();
}

void c_GameDelegate::RenderGame() {
    SyncGraphicsDeviceSize();
    RenderWithDevice(this, app);
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
void c_GameDelegate::DiscardGraphics() { DiscardDeviceGraphics(this); }

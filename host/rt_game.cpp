// RtGame: the defaults of the host operations, the guarded calls into the
// delegate with their exception handler and collector step, and the
// process-wide host pointer and context generation.
#include "host/rt_game.h"

#include <cstdlib>

namespace {

RtGame* current_game = nullptr;
int context_generation = 0;

}  // namespace

RtGame* CurrentGame() { return current_game; }
int CurrentContextGeneration() { return context_generation; }
void AdvanceContextGeneration() { ++context_generation; }

RtGame::RtGame() { current_game = this; }

RtGame::~RtGame() {
    if (current_game == this) current_game = nullptr;
}

void RtGame::SetDelegate(RtGameDelegate* d) { delegate = d; }
RtGameDelegate* RtGame::GetDelegate() { return delegate; }
void RtGame::SetKeyboardEnabled(bool enabled) { keyboardEnabled = enabled; }
bool RtGame::IsKeyboardEnabled() { return keyboardEnabled; }
void RtGame::SetUpdateRate(int hertz) { updateRate = hertz; }
int RtGame::GetUpdateRate() { return updateRate; }
bool RtGame::IsStarted() { return started; }
bool RtGame::IsSuspended() { return suspended; }
int RtGame::ElapsedMillis() { return 0; }
int RtGame::CountJoysticks(bool) { return 0; }
bool RtGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) { return false; }
void RtGame::OpenUrl(const String&) {}
void RtGame::SetMouseVisible(bool) {}
void RtGame::SetMousePosition(double, double) {}
void RtGame::SetClipboardText(const String&) {}
String RtGame::GetClipboardText() { return String(); }
int RtGame::GetDeviceWidth() { return 0; }
int RtGame::GetDeviceHeight() { return 0; }
void RtGame::OpenWindow(int, int, int) {}
void RtGame::SetWindowIcon(const String&) {}
void RtGame::SetWindowPosition(int, int) {}
void RtGame::SetWindowSize(int, int) {}
void RtGame::SetWindowSizeLimits(int, int, int, int) {}
void RtGame::SetWindowTitle(const String&) {}
Array<RtDisplayMode*> RtGame::GetDisplayModes() { return Array<RtDisplayMode*>(); }
RtDisplayMode* RtGame::GetDesktopMode() { return nullptr; }
void RtGame::SetSwapInterval(int) {}
String RtGame::ResolvePath(const String& path) { return path; }
unsigned char* RtGame::LoadImageData(const String&, int*, int*, int*) { return nullptr; }
unsigned char* RtGame::LoadAudioData(const String&, int*, int*, int*, int*) { return nullptr; }

void RtGame::HandleUncaught(ThrowableObject*) { ::HandleUncaught(); }

void RtGame::CollectGarbage() {
    gc_mark_now(delegate);
    gc_collect_step();
}

// Only a ThrowableObject is caught; anything else propagates.
template <class Call>
void RtGame::CallDelegate(Call call) {
    try {
        if (delegate) call(delegate);
    } catch (ThrowableObject* thrown) {
        HandleUncaught(thrown);
    }
    CollectGarbage();
}

void RtGame::StartGame() {
    if (started) return;
    started = true;
    CallDelegate([](RtGameDelegate* d) { d->StartGame(); });
}

void RtGame::SuspendGame() {
    if (!started || suspended) return;
    suspended = true;
    CallDelegate([](RtGameDelegate* d) { d->SuspendGame(); });
}

void RtGame::ResumeGame() {
    if (!started || !suspended) return;
    suspended = false;
    CallDelegate([](RtGameDelegate* d) { d->ResumeGame(); });
}

void RtGame::UpdateGame() {
    if (!started || suspended) return;
    CallDelegate([](RtGameDelegate* d) { d->UpdateGame(); });
}

void RtGame::RenderGame() {
    if (!started) return;
    CallDelegate([](RtGameDelegate* d) { d->RenderGame(); });
}

void RtGame::KeyEvent(int ev, int data) {
    if (!started) return;
    CallDelegate([=](RtGameDelegate* d) { d->KeyEvent(ev, data); });
}

void RtGame::MouseEvent(int ev, int data, float x, float y, float z) {
    if (!started) return;
    CallDelegate([=](RtGameDelegate* d) { d->MouseEvent(ev, data, x, y, z); });
}

void RtGame::TouchEvent(int ev, int data, float x, float y) {
    if (!started) return;
    CallDelegate([=](RtGameDelegate* d) { d->TouchEvent(ev, data, x, y); });
}

void RtGame::MotionEvent(int ev, int data, float x, float y, float z) {
    if (!started) return;
    CallDelegate([=](RtGameDelegate* d) { d->MotionEvent(ev, data, x, y, z); });
}

void RtGame::DiscardGraphics() {
    if (!started) return;
    CallDelegate([](RtGameDelegate* d) { d->DiscardGraphics(); });
}

// c_InputDevice and c_JoyState: key-down state with the mouse-left / first
// touch mirror, hit counting bounded by the hit queue, the character queue,
// pointer values and joystick polling through the host.
#include "host/input_device.h"

#include "host/rt_game.h"

c_InputDevice* inputDevice = nullptr;

void RegisterInputRoots() {
    gc_add_root(+[]() -> gc_object* { return inputDevice; });
}

c_JoyState::c_JoyState() : joyX(2), joyY(2), joyZ(2), buttons(kJoystickButtons) {
    gc_mark_now(joyX.Body());
    gc_mark_now(joyY.Body());
    gc_mark_now(joyZ.Body());
    gc_mark_now(buttons.Body());
}

void c_JoyState::mark() {
    gc_shade(joyX.Body());
    gc_shade(joyY.Body());
    gc_shade(joyZ.Body());
    gc_shade(buttons.Body());
}

c_InputDevice::c_InputDevice()
    : joyStates(kJoystickPorts),
      keyDown(kKeyCount),
      hitQueue(kHitQueueLength),
      keyHits(kKeyCount),
      charQueue(kCharQueueLength),
      touchX(kTouchCount),
      touchY(kTouchCount) {
    for (gc_object* body : {static_cast<gc_object*>(joyStates.Body()), static_cast<gc_object*>(keyDown.Body()),
                            static_cast<gc_object*>(hitQueue.Body()), static_cast<gc_object*>(keyHits.Body()),
                            static_cast<gc_object*>(charQueue.Body()), static_cast<gc_object*>(touchX.Body()),
                            static_cast<gc_object*>(touchY.Body())})
        gc_mark_now(body);
    for (int i = 0; i < kJoystickPorts; ++i) joyStates.Set(i, gc_new<c_JoyState>());
}

void c_InputDevice::mark() {
    gc_shade(joyStates.Body());
    gc_shade(keyDown.Body());
    gc_shade(hitQueue.Body());
    gc_shade(keyHits.Body());
    gc_shade(charQueue.Body());
    gc_shade(touchX.Body());
    gc_shade(touchY.Body());
}

// Counts a hit while the queue has room; false once it is full.
bool c_InputDevice::RecordHit(int key) {
    if (hitCount >= hitQueue.Length()) return false;
    keyHits.Set(key, keyHits[key] + 1);
    hitQueue.Set(hitCount++, key);
    return true;
}

void c_InputDevice::PressKey(int key) {
    if (keyDown[key]) return;
    keyDown.Set(key, true);
    bool recorded = RecordHit(key);
    int mirror = key == kMouseLeftKey ? kFirstTouchKey : (key == kFirstTouchKey ? kMouseLeftKey : 0);
    if (!mirror) return;
    keyDown.Set(mirror, true);
    if (recorded) RecordHit(mirror);
}

void c_InputDevice::ReleaseKey(int key) {
    if (!keyDown[key]) return;
    keyDown.Set(key, false);
    if (key == kMouseLeftKey) keyDown.Set(kFirstTouchKey, false);
    if (key == kFirstTouchKey) keyDown.Set(kMouseLeftKey, false);
}

// Codes outside 0..511 would index past the key arrays: ignored.
void c_InputDevice::KeyEvent(int ev, int data) {
    if (ev == kEventKeyChar) {
        if (charPut < charQueue.Length()) charQueue.Set(charPut++, data);
        return;
    }
    if (data < 0 || data >= kKeyCount) return;
    if (ev == kEventKeyDown) PressKey(data);
    if (ev == kEventKeyUp) ReleaseKey(data);
}

void c_InputDevice::SetPointer(float x, float y, float z) {
    mouseX = x, mouseY = y, mouseZ = z;
    touchX.Set(0, x);
    touchY.Set(0, y);
}

void c_InputDevice::MouseEvent(int ev, int data, float x, float y, float z) {
    int key = data + 1;
    bool valid_button = key >= 0 && key < kKeyCount;
    if (ev == kEventMouseDown) {
        if (valid_button) PressKey(key);
        SetPointer(x, y, z);
    } else if (ev == kEventMouseUp) {
        if (valid_button) ReleaseKey(key);
    } else if (ev == kEventMouseMove) {
        SetPointer(x, y, z);
    }
}

void c_InputDevice::TouchEvent(int ev, int data, float x, float y) {
    if (data < 0 || data >= kTouchCount) return;
    if (ev == kEventTouchUp) {
        ReleaseKey(kFirstTouchKey + data);
        return;
    }
    if (ev != kEventTouchDown && ev != kEventTouchMove) return;
    if (ev == kEventTouchDown) PressKey(kFirstTouchKey + data);
    touchX.Set(data, x);
    touchY.Set(data, y);
    if (data == 0) mouseX = x, mouseY = y;
}

void c_InputDevice::MotionEvent(int ev, int, float x, float y, float z) {
    if (ev == kEventMotionAccel) accelX = x, accelY = y, accelZ = z;
}

void c_InputDevice::PollJoysticks() {
    RtGame* game = CurrentGame();
    for (int port = 0; port < kJoystickPorts; ++port) {
        c_JoyState* joy = joyStates[port];
        if (!game->PollJoystick(port, joy->joyX, joy->joyY, joy->joyZ, joy->buttons)) return;
        for (int b = 0; b < kJoystickButtons; ++b) {
            int key = kFirstJoystickKey + kJoystickButtons * port + b;
            if (joy->buttons[b] && !keyDown[key]) {
                keyDown.Set(key, true);
                RecordHit(key);
            } else if (!joy->buttons[b]) {
                keyDown.Set(key, false);
            }
        }
    }
}

void c_InputDevice::ClearHits() {
    for (int i = 0; i < hitCount; ++i) keyHits.Set(hitQueue[i], 0);
    hitCount = 0;
    charGet = 0;
    charPut = 0;
}

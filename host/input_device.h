// The input state a program reads: keys down, hits per update, typed
// characters, mouse, touches, acceleration and four joysticks. The game
// delegate creates one c_InputDevice when the game starts, feeds it every
// event, polls the joysticks before each update and clears the hits after.
#pragma once

#include "runtime/array.h"
#include "runtime/gc.h"

constexpr int kKeyCount = 512;
constexpr int kHitQueueLength = 33;
constexpr int kCharQueueLength = 32;
constexpr int kTouchCount = 32;
constexpr int kJoystickPorts = 4;
constexpr int kJoystickButtons = 32;
constexpr int kFirstJoystickKey = 256;
constexpr int kFirstTouchKey = 384;
constexpr int kMouseLeftKey = 1;

struct c_JoyState : Object {
    Array<float> joyX;  // stick 0 and stick 1
    Array<float> joyY;
    Array<float> joyZ;
    Array<bool> buttons;

    c_JoyState();
    void mark() override;
};

struct c_InputDevice : Object {
    Array<c_JoyState*> joyStates;
    Array<bool> keyDown;
    int hitCount = 0;
    Array<int> hitQueue;
    Array<int> keyHits;
    int charGet = 0;
    int charPut = 0;
    Array<int> charQueue;
    float mouseX = 0, mouseY = 0, mouseZ = 0;
    Array<float> touchX;
    Array<float> touchY;
    float accelX = 0, accelY = 0, accelZ = 0;

    c_InputDevice();
    void mark() override;

    void KeyEvent(int ev, int data);
    void MouseEvent(int ev, int data, float x, float y, float z);
    void TouchEvent(int ev, int data, float x, float y);
    void MotionEvent(int ev, int data, float x, float y, float z);
    void PollJoysticks();
    void ClearHits();
    void PressKey(int key);
    void ReleaseKey(int key);

private:
    bool RecordHit(int key);
    void SetPointer(float x, float y, float z);
};

// The framework global the delegate stores its device in (null before the
// game starts), and its registration as a collector root.
extern c_InputDevice* inputDevice;
void RegisterInputRoots();

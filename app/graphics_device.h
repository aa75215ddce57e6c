// The graphics share of the game delegate: creating the drawing device with
// the default font, copying the host's drawing-area size into the framework,
// the render bracket around the application's OnRender, and the display
// modes a program can query.
#pragma once

#include "graphics/graphics_context.h"
#include "graphics/gxtk_graphics.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/map.h"
#include "runtime/stack.h"

struct c_DisplayMode : Object {
    int width;
    int height;

    c_DisplayMode(int w, int h) : width(w), height(h) {}
};

using c_Node2 = c_NodeOf<c_DisplayMode>;
using c_Map2 = c_MapOf<c_DisplayMode>;
using c_IntMap2 = c_IntMapOf<c_DisplayMode>;
using c_Stack = c_StackOf<c_DisplayMode>;

extern Array<c_DisplayMode*> displayModes;
extern c_DisplayMode* desktopMode;

// Start-up values (no modes, no desktop mode) and their collector roots.
void InitDisplayModeGlobals();
void RegisterDisplayModeRoots();
// Start-up: the graphics context's globals and the display modes' globals,
// with their collector roots.
void InitGraphicsGlobals();

// Creates the device, makes it the framework's graphics device and selects
// the default font. Returns the device for the delegate to keep.
gxtkGraphics* SetUpGraphicsDevice();
// Copies the host's drawing-area size into deviceWidth and deviceHeight.
void SyncDeviceSize();
// The host's modes without repeats (first occurrence kept, in order) and the
// desktop mode (the device size when the host has none).
void InitDisplayModes();

// The frame bracket. The device's BeginRender answers how much the
// framework prepares: 0 nothing (OnRender runs bare), 2 everything but
// OnRender, anything else all of it. The device's EndRender always runs.
template <class Device, class OnRender>
void RenderBracket(Device* device, OnRender on_render) {
    int mode = device->BeginRender();
    if (mode != 0) {
        BeginRender();
        if (mode != 2) on_render();
        EndRender();
    } else {
        on_render();
    }
    device->EndRender();
}

// The graphics globals at start-up, the device set-up, the size sync and
// the display modes.
#include "app/graphics_device.h"

#include "graphics/font.h"
#include "host/rt_game.h"

Array<c_DisplayMode*> displayModes;
c_DisplayMode* desktopMode = nullptr;

void InitDisplayModeGlobals() {
    displayModes = Array<c_DisplayMode*>();
    desktopMode = nullptr;
}

void RegisterDisplayModeRoots() {
    gc_add_root(+[]() -> gc_object* { return displayModes.Body(); });
    gc_add_root(+[]() -> gc_object* { return desktopMode; });
}

void InitGraphicsGlobals() {
    InitGraphicsContextGlobals();
    RegisterGraphicsRoots();
    InitDisplayModeGlobals();
    RegisterDisplayModeRoots();
}

gxtkGraphics* SetUpGraphicsDevice() {
    gxtkGraphics* device = gc_new<gxtkGraphics>();
    SetGraphicsDevice(device);
    SetFont(nullptr);
    return device;
}

void SyncDeviceSize() {
    RtGame* host = CurrentGame();
    int w = host->GetDeviceWidth(), h = host->GetDeviceHeight();
    if (w != deviceWidth || h != deviceHeight) {
        deviceWidth = w;
        deviceHeight = h;
    }
}

void InitDisplayModes() {
    RtGame* host = CurrentGame();
    Array<RtDisplayMode*> modes = host->GetDisplayModes();
    c_IntMap2* seen = gc_new<c_IntMap2>();
    c_Stack* unique = gc_new<c_Stack>();
    for (int i = 0; i < modes.Length(); ++i) {
        RtDisplayMode* m = modes[i];
        int key = static_cast<int>(static_cast<unsigned>(m->width) << 16) | m->height;
        if (seen->Contains(key)) continue;
        c_DisplayMode* mode = gc_new<c_DisplayMode>(m->width, m->height);
        seen->Add(key, mode);
        unique->Push(mode);
    }
    Array<c_DisplayMode*> all = unique->ToArray();
    gc_mark_now(all.Body());
    displayModes = all;
    RtDisplayMode* desktop = host->GetDesktopMode();
    int w = desktop ? desktop->width : deviceWidth;
    int h = desktop ? desktop->height : deviceHeight;
    gc_assign(desktopMode, gc_new<c_DisplayMode>(w, h));
}

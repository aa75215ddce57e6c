// The graphics share of the game delegate: forwards the delegate's graphics
// steps to the device set-up in graphics_device.cpp.
#include "app/device_steps.h"
#include "app/framework.h"
#include "app/graphics_device.h"

void InitGraphicsGlobals() {
    init_graphics_globals();
    register_graphics_roots();
    init_display_mode_globals();
    register_display_mode_roots();
}

void StartGraphicsDevice(c_GameDelegate* d) { gc_assign(d->graphics, SetUpGraphicsDevice()); }
void SyncGraphicsDeviceSize() { SyncDeviceSize(); }
void InitGraphicsDisplayModes() { InitDisplayModes(); }

void RenderWithDevice(c_GameDelegate* d, c_App* application) {
    RenderBracket(d->graphics, [application] { application->OnRender(); });
}

void DiscardDeviceGraphics(c_GameDelegate* d) { d->graphics->DiscardGraphics(); }
void ShadeGraphicsDevice(gxtkGraphics* graphics) { gc_shade(graphics); }

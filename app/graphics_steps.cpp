// The graphics share of the game delegate, before the graphics layer fills
// it in: no device; OnRender runs without a render bracket.
#include "app/device_steps.h"
#include "app/framework.h"

void InitGraphicsGlobals() {}
void StartGraphicsDevice(c_GameDelegate*) {}
void SyncGraphicsDeviceSize() {}
void InitGraphicsDisplayModes() {}
void RenderWithDevice(c_GameDelegate*, c_App* application) { application->OnRender(); }
void DiscardDeviceGraphics(c_GameDelegate*) {}
void ShadeGraphicsDevice(gxtkGraphics*) {}

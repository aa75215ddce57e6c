// The device steps of the game delegate that belong to the graphics and the
// audio layers. c_GameDelegate calls them at fixed points; until a layer is
// in the build, its file here (graphics_steps.cpp, audio_steps.cpp) keeps
// the delegate running without it: no device, OnRender called bare.
#pragma once

struct c_App;
struct c_GameDelegate;
struct gxtkAudio;
struct gxtkGraphics;

// ---- graphics (graphics_steps.cpp) ----
// Start-up: the graphics globals and their roots.
void InitGraphicsGlobals();
// StartGame: create the device, store it in d->graphics, select the default font.
void StartGraphicsDevice(c_GameDelegate* d);
// StartGame, UpdateGame, RenderGame: copy the host's size into the framework.
void SyncGraphicsDeviceSize();
// StartGame, after the size: the display modes.
void InitGraphicsDisplayModes();
// RenderGame: the render bracket around the application's OnRender.
void RenderWithDevice(c_GameDelegate* d, c_App* application);
// DiscardGraphics.
void DiscardDeviceGraphics(c_GameDelegate* d);
// c_GameDelegate::mark.
void ShadeGraphicsDevice(gxtkGraphics* graphics);

// ---- audio (audio_steps.cpp) ----
void InitAudioGlobals();
void StartAudioDevice(c_GameDelegate* d);
void SuspendAudioDevice(c_GameDelegate* d);
void ResumeAudioDevice(c_GameDelegate* d);
void ShadeAudioDevice(gxtkAudio* audio);

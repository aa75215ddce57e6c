// The music streamed into OpenAL: a libmikmod output driver of ours that
// mixes with the library's software mixer and queues the result on one
// OpenAL source, for platforms where libmikmod has no output of its own
// (the browser). The queue is a few short buffers; the player pump
// (MikMod_Update, once per update of the show) refills every buffer the
// source has finished with. The mixer moves the tune on only as buffers are
// filled, so while the output is held (a browser that has not yet allowed
// sound) the tune waits at its start: nothing is skipped or played twice.
#pragma once

// Puts the stream driver first in libmikmod's list, so that the default
// driver choice of MikMod_Init("") takes it. Call before the music layer
// initialises the library; OpenAL's context must be current by then (the
// sample device makes it so at the start of the game).
void InstallMusicStream();

// True when libmikmod plays through the stream driver.
bool MusicStreamActive();

// Where the module music sounds: the libmikmod output drivers of the
// platform, registered before the library starts (its default choice takes
// the first one present). On the desktop these are the library's own (sound
// servers and cards, desktop_music_output.cpp); in a browser, where it has
// none, our stream into OpenAL (web_music_output.cpp, music_stream.h).
#pragma once

void RegisterMusicOutputs();

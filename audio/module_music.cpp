// Module music on libmikmod: the one loaded module, and the calls that load,
// start, pump and free it.
//
// libmikmod crashes in Player_Load when MikMod_Init has failed (no sound
// device), so the player remembers whether initialisation worked and
// PlayModule leaves the library alone when it did not: the show then runs
// silently instead of dying.
#include "audio/module_music.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include <mikmod.h>

#include "audio/music_output.h"

namespace {

MODULE* currentModule = nullptr;
bool player_ready = false;

constexpr UWORD kOutputModeFlags = DMODE_16BITS | DMODE_STEREO | DMODE_FLOAT | DMODE_SURROUND | DMODE_INTERP;
constexpr int kMaxModuleChannels = 64;

// The path in the multibyte encoding of the current locale; empty when a
// character has no encoding there.
std::vector<char> NarrowPath(const String& path) {
    std::vector<wchar_t> wide;
    for (int i = 0; i < path.Length(); ++i) {
        int unit = path[i];
        int next = i + 1 < path.Length() ? path[i + 1] : 0;
        bool pair = unit >= 0xD800 && unit < 0xDC00 && next >= 0xDC00 && next < 0xE000;
        if (pair && sizeof(wchar_t) >= 4) {
            wide.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
            ++i;
        } else {
            wide.push_back(static_cast<wchar_t>(unit));
        }
    }
    wide.push_back(0);
    std::vector<char> narrow(wide.size() * MB_CUR_MAX + 1, 0);
    if (std::wcstombs(narrow.data(), wide.data(), narrow.size()) == static_cast<size_t>(-1))
        narrow[0] = 0;  // an empty name
    return narrow;
}

void FreeCurrentModule() {
    if (currentModule) {
        Player_Free(currentModule);
        currentModule = nullptr;
    }
}

}  // namespace

void InitModulePlayer() {
    MikMod_InitThreads();
    RegisterMusicOutputs();
    MikMod_RegisterAllLoaders();
    md_mode |= kOutputModeFlags;
    if (MikMod_Init("") != 0) {
        std::fprintf(stderr, "Could not initialize sound, reason: %s\n",
                     MikMod_strerror(MikMod_errno));
        return;
    }
    player_ready = true;
}

void PlayModule(const String& path) {
    std::vector<char> name = NarrowPath(path);
    if (!player_ready) {
        std::fprintf(stderr, "Music is off (no sound output): not playing \"%s\"\n", name.data());
        return;
    }
    FreeCurrentModule();
    Player_Stop();
    currentModule = Player_Load(name.data(), kMaxModuleChannels, 0);
    if (!currentModule) {
        std::fprintf(stderr, "Could not load module \"%s\", reason: %s\n", name.data(),
                     MikMod_strerror(MikMod_errno));
        std::abort();
    }
    std::printf("Playing %s (%d chn)\n", currentModule->songname ? currentModule->songname : "",
                currentModule->numchn);
    std::fflush(stdout);
    Player_Start(currentModule);
}

void StopModule() {
    FreeCurrentModule();
    Player_Stop();
}

void UpdateModulePlayer() { MikMod_Update(); }

void TogglePauseModule() { Player_TogglePause(); }

int GetModuleRow() { return Player_GetRow(); }

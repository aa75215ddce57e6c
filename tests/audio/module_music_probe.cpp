// A small program around the module player, run as a child process by the
// module music tests because a failed load ends the process. It prints what
// it sees of libmikmod after each step.
//
//   module_music_probe play FILE...    play each file in turn for a moment
//   module_music_probe reload FILE N   play FILE N times; report heap growth
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <thread>

#include <mikmod.h>

#include "audio/module_music.h"

namespace {

String FromArgument(const char* text) {
    return String::FromBytes(reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
}

void Report() {
    MODULE* module = Player_GetModule();
    std::printf("module %s active %d row %d\n", module ? module->songname : "(none)", Player_Active() ? 1 : 0,
                GetModuleRow());
}

// Each file is pumped for about half a second, as the game loop would.
int Play(int count, char** files) {
    for (int i = 0; i < count; ++i) {
        PlayModule(FromArgument(files[i]));
        for (int pass = 0; pass < 25; ++pass, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            UpdateModulePlayer();
        Report();
    }
    TogglePauseModule();
    std::printf("paused %d\n", Player_Paused() ? 1 : 0);
    TogglePauseModule();
    StopModule();
    StopModule();
    Report();
    return 0;
}

int Reload(const char* file, int times) {
    size_t after_two = 0;
    for (int i = 0; i < times; ++i) {
        PlayModule(FromArgument(file));
        UpdateModulePlayer();
        if (i == 1) after_two = mallinfo2().uordblks;
    }
    std::printf("growth %lld\n", static_cast<long long>(mallinfo2().uordblks) - static_cast<long long>(after_two));
    StopModule();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    InitModulePlayer();
    if (argc >= 3 && std::strcmp(argv[1], "play") == 0) return Play(argc - 2, argv + 2);
    if (argc == 4 && std::strcmp(argv[1], "reload") == 0) return Reload(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: module_music_probe play FILE... | reload FILE N\n");
    return 2;
}

// The module player on the real libmikmod, in a forked child (libmikmod
// starts once per process) whose standard error the test reads: modules load
// under any name, announce themselves, play, replace each other, pause and
// stop, and a reload frees the module before (bad modules: the bad-data test).
#include "audio/module_music.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <mikmod.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <thread>

#include "support/temp_folder.h"

namespace {

// Child side: SDL's silent output, announcements on standard error with the
// rest, and the player started as the show starts it. Plays each file until
// the player has moved on in its pattern (as the game loop pumps it), then
// pauses, stops and loads the first forty times more.
[[noreturn]] void PlayEachThenReload(const std::vector<String>& files) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    dup2(2, 1);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    InitModulePlayer();
    for (const String& file : files) {
        PlayModule(file);
        for (int i = 0; i < 1000 && Player_Active() && GetModuleRow() == 0; ++i) {
            UpdateModulePlayer();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::fprintf(stderr, "%s %s\n", Player_GetModule()->songname, GetModuleRow() > 0 ? "moving" : "still");
    }
    TogglePauseModule();
    std::fprintf(stderr, "paused %d\n", Player_Paused());
    StopModule();
    std::fprintf(stderr, "stopped: module %d active %d\n", Player_GetModule() != nullptr, Player_Active());
    // An unfreed module would keep kilobytes each; libmikmod itself keeps a
    // few hundred bytes per start.
    long long after_two = 0;
    for (int i = 0; i < 40; ++i) {
        PlayModule(files[0]);
        if (i == 1) after_two = mallinfo2().uordblks;
    }
    const long long kept = static_cast<long long>(mallinfo2().uordblks) - after_two;
    std::fprintf(stderr, "reloads keep %s\n", kept < 38 * 1024 ? "little" : "much");
    std::exit(0);
}

TEST(ModuleMusic, PlaysReplacesAndReloadsModules) {
    TempFolder folder("module");
    std::string module = ReadFileBytes(std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm");
    for (const char* name : {"first.xm", "m\xC3\xA9lodie.xm", "\xF0\x90\x80\x80.xm"})
        WriteFileBytes(folder / name, module);
    WriteFileBytes(folder / "second.xm", module.replace(17, 20, std::string("Low Water").append(11, '\0')));
    auto file = [&](const std::string& name) {
        const std::string path = folder / name;
        return String::FromBytes(reinterpret_cast<const unsigned char*>(path.data()), int(path.size()));
    };
    const uint16_t astral[] = {0xD800, 0xDC00, '.', 'x', 'm', 0};  // U+10000, as String holds it
    const std::string tide = "Playing Low Tide Lanterns \\(8 chn\\)\nLow Tide Lanterns moving\n";
    EXPECT_EXIT(PlayEachThenReload({file("first.xm"), file("m\xC3\xA9lodie.xm"), file("") + String(astral),
                                    file("second.xm")}),
                ::testing::ExitedWithCode(0),
                "^" + tide + tide + tide + "Playing Low Water \\(8 chn\\)\nLow Water moving\npaused 1\n" +
                    "stopped: module 0 active 0\n(Playing Low Tide Lanterns \\(8 chn\\)\n){40}reloads keep little\n$");
}

}  // namespace

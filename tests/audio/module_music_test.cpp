// The module player on the real libmikmod. Every run is a forked child (a
// failed load aborts, and libmikmod starts once per process) whose standard
// error the test reads: modules load, announce themselves, play, pause, stop
// and replace each other, a reload frees the module before, and what cannot
// be loaded ends with the load message.
#include "audio/module_music.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <mikmod.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <csignal>
#include <thread>

#include "support/temp_folder.h"

namespace {

const std::string kModule = ReadFileBytes(std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm");

String Named(const std::string& utf8) {
    return String::FromBytes(reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
}

// Child side: SDL's silent output, announcements on standard error with the
// rest, and the player started as the show starts it.
void StartPlayer() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    dup2(2, 1);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    InitModulePlayer();
}

void Report(const char* step) {
    MODULE* module = Player_GetModule();
    std::fprintf(stderr, "%s: %s active %d\n", step, module ? module->songname : "(none)", Player_Active());
}

// Plays each file until the player has moved on in its pattern (as the
// game loop pumps it), then pauses and stops.
[[noreturn]] void PlayEach(const std::vector<String>& files) {
    StartPlayer();
    for (const String& file : files) {
        PlayModule(file);
        for (int i = 0; i < 1000 && Player_Active() && GetModuleRow() == 0; ++i) {
            UpdateModulePlayer();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Report(GetModuleRow() > 0 ? "moving" : "still");
    }
    TogglePauseModule();
    std::fprintf(stderr, "paused %d\n", Player_Paused());
    StopModule();
    Report("stopped");
    std::exit(0);
}

TEST(ModuleMusic, PlaysReplacesAndReloadsModulesOrEndsWithTheReason) {
    TempFolder folder("module");
    std::string renamed = kModule;  // another 20-byte song name
    renamed.replace(17, 20, std::string("Low Water").append(11, '\0'));
    for (const char* name : {"first.xm", "m\xC3\xA9lodie.xm", "\xF0\x90\x80\x80.xm", "second.xm"})
        WriteFileBytes(folder / name, name[0] == 's' ? renamed : kModule);
    auto file = [&](const char* name) { return Named(folder / name); };
    const uint16_t astral[] = {0xD800, 0xDC00, '.', 'x', 'm', 0};  // U+10000, as String holds it
    const std::string tide = "Playing Low Tide Lanterns \\(8 chn\\)\nmoving: Low Tide Lanterns active 1\n";
    const std::pair<std::vector<String>, std::string> runs[] = {
        {{file("first.xm")}, tide + "paused 1\nstopped: \\(none\\) active 0\n$"},
        {{file("first.xm"), file("second.xm")}, tide + "Playing Low Water \\(8 chn\\)\nmoving: Low Water active 1\n"},
        {{file("m\xC3\xA9lodie.xm"), file("") + String(astral)}, tide + tide},
    };
    for (const auto& [files, seen] : runs) EXPECT_EXIT(PlayEach(files), ::testing::ExitedWithCode(0), "^" + seen);

    // Forty loads: an unfreed module would keep kilobytes each; libmikmod
    // itself keeps a few hundred bytes per start.
    auto reload_forty_times = [&] {
        StartPlayer();
        long long after_two = 0;
        for (int i = 0; i < 40; ++i) {
            PlayModule(file("first.xm"));
            if (i == 1) after_two = mallinfo2().uordblks;
        }
        std::exit(static_cast<long long>(mallinfo2().uordblks) - after_two < 38 * 1024 ? 0 : 1);
    };
    EXPECT_EXIT(reload_forty_times(), ::testing::ExitedWithCode(0), "");

    // Not a module: the load message, and an abort. (No file at all, and no
    // sound output, are seen through the real program by the bad-data test.)
    WriteFileBytes(folder / "header.xm", kModule.substr(0, 60));
    EXPECT_EXIT(PlayEach({file("header.xm")}), ::testing::KilledBySignal(SIGABRT),
                "^Could not load module \"" + (folder / "header.xm") + "\", reason: [^\n]+\n$");
}

}  // namespace

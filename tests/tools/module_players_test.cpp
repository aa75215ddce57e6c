// data/spartanic.xm as two players that nobody here wrote see it:
// openmpt123 and xmp load it without a warning, name its title, find 8
// channels and agree on its length, over a minute, to within a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "score.h"
#include "support/temp_folder.h"

TEST(ModulePlayers, BothLoadItAlikeWithoutWarnings) {
    const std::string module = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";
    const std::string title = moonlit::music::MoonlitHarborScore().title;
    // Lines each prints, and its duration as "01:22.272" or "1min22s".
    const std::tuple<std::string, std::vector<std::string>, const char*> players[] = {
        {"openmpt123 --info", {"Title......: " + title + "\n", "Channels...: 8\n"}, "Duration...: %d:%lf"},
        {"xmp --load-only -d null", {"Module name  : " + title + "\n", "Channels     : 8 "}, "Duration : %dmin%lfs"},
    };
    std::vector<double> seconds;
    for (const auto& [command, lines, duration] : players) {
        std::string out = Shell(command + " '" + module + "' 2>&1 </dev/null").out;
        for (const std::string& line : lines) EXPECT_NE(out.find(line), std::string::npos) << out;
        int minutes = -1;
        double rest = 0;
        const char* from = out.c_str() + std::min(out.find("Duration"), out.size());
        ASSERT_EQ(std::sscanf(from, duration, &minutes, &rest), 2) << out;
        seconds.push_back(minutes * 60 + rest);
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const char* word : {"warn", "error", "unrecognized"}) EXPECT_EQ(out.find(word), std::string::npos) << out;
    }
    EXPECT_GE(seconds[0], 60.0);
    EXPECT_NEAR(seconds[1], seconds[0], 1.0);
}

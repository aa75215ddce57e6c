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
    const std::string openmpt = Shell("openmpt123 --info '" + module + "' 2>&1 </dev/null").out;
    const std::string xmp = Shell("xmp --load-only --driver null '" + module + "' 2>&1 </dev/null").out;
    for (std::string out : {openmpt, xmp}) {
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const char* word : {"warn", "error", "unrecognized"}) EXPECT_EQ(out.find(word), std::string::npos) << out;
    }
    for (const std::string& line : {"Title......: " + title + "\n", std::string("Channels...: 8\n")})
        EXPECT_NE(openmpt.find(line), std::string::npos) << openmpt;
    for (const std::string& line : {"Module name  : " + title + "\n", std::string("Channels     : 8 ")})
        EXPECT_NE(xmp.find(line), std::string::npos) << xmp;
    // "Duration...: 01:22.272" and "Duration     : 1min22s" (sscanf: std::regex's
    // headers warn in the sanitizer build).
    auto from = [](const std::string& out, const char* label) {
        const size_t at = out.find(label);
        return at == std::string::npos ? std::string() : out.substr(at);
    };
    int a_minutes = -1, b_minutes = -1, b_seconds = 0;
    double a_seconds = 0;
    ASSERT_EQ(std::sscanf(from(openmpt, "Duration").c_str(), "Duration...: %d:%lf", &a_minutes, &a_seconds), 2);
    ASSERT_EQ(std::sscanf(from(xmp, "Duration").c_str(), "Duration : %dmin%ds", &b_minutes, &b_seconds), 2);
    const double seconds = a_minutes * 60 + a_seconds;
    EXPECT_GE(seconds, 60.0);
    EXPECT_NEAR(b_minutes * 60 + b_seconds, seconds, 1.0);
}

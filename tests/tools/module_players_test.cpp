// data/spartanic.xm as two players that nobody here wrote see it:
// openmpt123 and xmp load it without a warning, name its title, find 8
// channels and agree on its length, over a minute, to within a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

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
    std::smatch a, b;
    ASSERT_TRUE(std::regex_search(openmpt, a, std::regex(R"(Duration\.\.\.: (\d+):([\d.]+))")));  // 01:22.272
    ASSERT_TRUE(std::regex_search(xmp, b, std::regex(R"(Duration +: (\d+)min(\d+)s)")));  // 1min22s
    const double seconds = std::stod(a[1]) * 60 + std::stod(a[2]);
    EXPECT_GE(seconds, 60.0);
    EXPECT_NEAR(std::stod(b[1]) * 60 + std::stod(b[2]), seconds, 1.0);
}

// data/spartanic.xm as two players that nobody here wrote see it:
// openmpt123 and xmp load it without a warning, name its title, find 8
// channels and agree on its length; what xmp renders (44.1 kHz stereo) is
// sound all the way through and does not clip for long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "score.h"
#include "support/wave_file.h"

namespace {

const std::string kModule = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";
constexpr int kRate = 44100, kChannels = 2;

// The minutes and seconds after `label`, read by `format`, in seconds.
double Seconds(const std::string& out, const std::string& label, const char* format) {
    size_t at = out.find(label);
    double minutes = 0, seconds = 0;
    if (at == std::string::npos || std::sscanf(out.c_str() + at + label.size(), format, &minutes, &seconds) != 2)
        return 0;
    return minutes * 60 + seconds;
}

struct Seen {
    std::string out;
    double seconds = 0;
};

class ModulePlayers : public ::testing::Test {
protected:
    // Each player runs once for the whole suite: the info of both, and one
    // render by xmp to raw 16-bit stereo.
    static void SetUpTestSuite() {
        TempFolder folder("players");
        openmpt.out = Shell("openmpt123 --info '" + kModule + "' 2>&1 </dev/null").out;
        xmp.out = Shell("xmp --load-only --driver null '" + kModule + "' 2>&1 </dev/null").out;
        openmpt.seconds = Seconds(openmpt.out, "Duration...: ", "%lf:%lf");  // 01:22.272
        xmp.seconds = Seconds(xmp.out, "Duration     : ", "%lfmin%lfs");  // 1min22s
        render_status = Shell("xmp --quiet -o '" + (folder / "xmp.wav") + "' '" + kModule + "' </dev/null").status;
        rendered = ReadWave(folder / "xmp.wav");
    }
    static Seen openmpt, xmp;
    static int render_status;
    static Wave rendered;
};

Seen ModulePlayers::openmpt, ModulePlayers::xmp;
int ModulePlayers::render_status = -1;
Wave ModulePlayers::rendered;

TEST_F(ModulePlayers, BothLoadItWithoutWarningsAsEightChannels) {
    const std::string title = moonlit::music::MoonlitHarborScore().title;
    for (const auto& [seen, title_line, channels_line] :
         {std::tuple{openmpt, "Title......: " + title + "\n", std::string("Channels...: 8\n")},
          std::tuple{xmp, "Module name  : " + title + "\n", std::string("Channels     : 8 ")}}) {
        std::string lower = seen.out;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const char* word : {"warn", "error", "unrecognized"})
            EXPECT_EQ(lower.find(word), std::string::npos) << seen.out;
        EXPECT_NE(seen.out.find(title_line), std::string::npos) << seen.out;
        EXPECT_NE(seen.out.find(channels_line), std::string::npos) << seen.out;
    }
}

TEST_F(ModulePlayers, TheyAgreeOnOverAMinuteToWithinASecond) {
    ASSERT_EQ(render_status, 0);
    ASSERT_EQ(rendered.rate, kRate);
    ASSERT_EQ(rendered.channels, kChannels);
    double rendered_seconds = double(rendered.Frames()) / kRate;
    EXPECT_GE(openmpt.seconds, 60.0);
    EXPECT_NEAR(xmp.seconds, openmpt.seconds, 1.0);
    EXPECT_NEAR(rendered_seconds, openmpt.seconds, 1.0);
}

// Every 4-second window, one a second, is louder than -40 dBFS; samples at
// full scale come in runs of at most 2 ms and are at most one in 10,000.
TEST_F(ModulePlayers, TheRenderSoundsThroughoutWithoutClipping) {
    const std::vector<std::int16_t>& samples = rendered.samples;
    const std::size_t frames = rendered.Frames(), window = 4 * kRate;
    ASSERT_GT(frames, window);
    for (std::size_t start = 0; start + window <= frames; start += kRate) {
        double sum = 0;
        for (std::size_t i = start * kChannels; i < (start + window) * kChannels; ++i)
            sum += double(samples[i]) * samples[i];
        double db = 20 * std::log10(std::max(std::sqrt(sum / (window * kChannels)) / 32768.0, 1e-9));
        EXPECT_GE(db, -40.0) << "near silence in the 4 s from " << start / kRate << " s";
    }
    std::size_t clipped = 0, run = 0, longest = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        bool full = false;
        for (int c = 0; c < kChannels; ++c) full |= std::abs(int(samples[f * kChannels + c])) >= 32767;
        run = full ? run + 1 : 0;
        clipped += full;
        longest = std::max(longest, run);
    }
    EXPECT_LE(longest, std::size_t(kRate / 500));
    EXPECT_LE(clipped, frames / 10000);
}

}  // namespace

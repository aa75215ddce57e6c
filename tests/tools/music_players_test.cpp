// data/spartanic.xm as two players that nobody here wrote see it:
// openmpt123 (libopenmpt) and xmp (libxmp). Both load it without a
// warning, find 8 channels and agree on its length; what they render is
// sound all the way through, and does not clip for long.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "score.h"

namespace {

namespace fs = std::filesystem;
const fs::path kModule = fs::path(MOONLIT_SOURCE_DIR) / "data" / "spartanic.xm";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A scratch folder holding a copy of the module, removed afterwards.
class Scratch {
public:
    Scratch() {
        char dir_template[] = "/tmp/moonlit-players-XXXXXX";
        if (!mkdtemp(dir_template)) throw std::runtime_error("cannot make a scratch folder");
        dir = dir_template;
        fs::copy_file(kModule, dir / "spartanic.xm");
    }
    ~Scratch() { fs::remove_all(dir); }
    const fs::path& Dir() const { return dir; }

    struct Result {
        int status;
        std::string out;  // standard output and error together
    };
    // Runs a shell command in the scratch folder, with no sound card needed.
    Result Run(const std::string& command) const {
        const std::string line = "cd '" + dir.string() + "' && " + command + " </dev/null >run.out 2>&1";
        int status = std::system(line.c_str());
        return {status, ReadText(dir / "run.out")};
    }

private:
    fs::path dir;
};

bool HaveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// 16-bit PCM from a RIFF WAVE file.
struct Pcm {
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> samples;  // interleaved

    double Seconds() const { return channels && rate ? double(samples.size()) / channels / rate : 0; }
};

std::uint32_t Le32(const std::string& b, std::size_t at) {
    return std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8 | std::uint8_t(b[at + 2]) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t Le16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

bool ReadWav(const fs::path& path, Pcm* pcm, std::string* error) {
    const std::string b = ReadText(path);
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        *error = "not a RIFF WAVE file";
        return false;
    }
    int bits = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        std::size_t size = Le32(b, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= b.size()) {
            pcm->channels = Le16(b, body + 2);
            pcm->rate = static_cast<int>(Le32(b, body + 4));
            bits = Le16(b, body + 14);
        } else if (id == "data") {
            size = std::min(size, b.size() - body);  // a streamed file may not know its length
            if (bits != 16 || pcm->channels == 0) {
                *error = "expected 16-bit PCM, got " + std::to_string(bits) + " bits";
                return false;
            }
            pcm->samples.resize(size / 2);
            for (std::size_t i = 0; i < pcm->samples.size(); ++i)
                pcm->samples[i] = static_cast<std::int16_t>(Le16(b, body + 2 * i));
            return true;
        }
        at = body + size + (size & 1);
    }
    *error = "no data chunk";
    return false;
}

// Every 4-second window, one a second, has an RMS level of at least -40
// dBFS; samples at full scale come in runs of at most 2 ms and make up at
// most one in 10,000.
void ExpectSoundThroughoutWithoutClipping(const Pcm& pcm) {
    ASSERT_GT(pcm.Seconds(), 4.0);
    const std::size_t frame_count = pcm.samples.size() / pcm.channels;
    const std::size_t window = static_cast<std::size_t>(pcm.rate) * 4;
    double quietest_db = 0;
    int quietest_at = 0;
    for (std::size_t start = 0; start + window <= frame_count; start += pcm.rate) {
        double sum = 0;
        for (std::size_t i = start * pcm.channels; i < (start + window) * pcm.channels; ++i)
            sum += double(pcm.samples[i]) * pcm.samples[i];
        const double rms = std::sqrt(sum / (window * pcm.channels)) / 32768.0;
        const double db = 20 * std::log10(std::max(rms, 1e-9));
        if (db < quietest_db) {
            quietest_db = db;
            quietest_at = static_cast<int>(start / pcm.rate);
        }
    }
    EXPECT_GE(quietest_db, -40.0) << "near silence in the 4 s from " << quietest_at << " s";

    std::size_t clipped = 0, run = 0, longest_run = 0;
    for (std::size_t f = 0; f < frame_count; ++f) {
        bool at_full_scale = false;
        for (int c = 0; c < pcm.channels; ++c) {
            std::int16_t s = pcm.samples[f * pcm.channels + c];
            at_full_scale = at_full_scale || s >= 32767 || s <= -32768;
        }
        if (at_full_scale) {
            ++clipped;
            longest_run = std::max(longest_run, ++run);
        } else {
            run = 0;
        }
    }
    EXPECT_LE(longest_run, static_cast<std::size_t>(pcm.rate / 500)) << "clips for longer than 2 ms";
    EXPECT_LE(clipped, frame_count / 10000) << "too many frames at full scale";
}

struct OpenMptInfo {
    std::string title;
    int channels = 0;
    double seconds = 0;
};

OpenMptInfo ParseOpenMptInfo(const std::string& out) {
    OpenMptInfo info;
    std::smatch m;
    if (std::regex_search(out, m, std::regex(R"(Title\.+: ([^\r\n]*))"))) info.title = m[1];
    if (std::regex_search(out, m, std::regex(R"(Channels\.+: (\d+))"))) info.channels = std::stoi(m[1]);
    if (std::regex_search(out, m, std::regex(R"(Duration\.+: (\d+):(\d+(\.\d+)?))")))
        info.seconds = std::stoi(m[1]) * 60 + std::stod(m[2]);
    return info;
}

struct XmpInfo {
    std::string title;
    int channels = 0;
    int seconds = -1;  // xmp shows whole seconds
};

XmpInfo ParseXmpInfo(const std::string& out) {
    XmpInfo info;
    std::smatch m;
    if (std::regex_search(out, m, std::regex(R"(Module name\s*: ([^\r\n]*))"))) info.title = m[1];
    if (std::regex_search(out, m, std::regex(R"(Channels\s*: (\d+))"))) info.channels = std::stoi(m[1]);
    if (std::regex_search(out, m, std::regex(R"(Duration\s*: (\d+)min(\d+)s)")))
        info.seconds = std::stoi(m[1]) * 60 + std::stoi(m[2]);
    return info;
}

class MusicPlayers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kModule)) << kModule;
        ASSERT_TRUE(HaveProgram("openmpt123") && HaveProgram("xmp"))
            << "openmpt123 and xmp are needed: run scripts/install-deps";
    }
    const std::string title = moonlit::music::MoonlitHarborScore().title;
};

TEST_F(MusicPlayers, OpenMptLoadsItWithoutWarnings) {
    Scratch s;
    Scratch::Result r = s.Run("openmpt123 --info spartanic.xm");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Lower(r.out).find("warn"), std::string::npos) << r.out;
    EXPECT_EQ(Lower(r.out).find("error"), std::string::npos) << r.out;
    OpenMptInfo info = ParseOpenMptInfo(r.out);
    EXPECT_EQ(info.title, title);
    EXPECT_EQ(info.channels, 8);
    EXPECT_GE(info.seconds, 60.0);
}

TEST_F(MusicPlayers, XmpLoadsItWithoutWarnings) {
    Scratch s;
    Scratch::Result r = s.Run("xmp --load-only --driver null spartanic.xm");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Lower(r.out).find("warn"), std::string::npos) << r.out;
    EXPECT_EQ(Lower(r.out).find("error"), std::string::npos) << r.out;
    EXPECT_EQ(Lower(r.out).find("unrecognized"), std::string::npos) << r.out;
    XmpInfo info = ParseXmpInfo(r.out);
    EXPECT_EQ(info.title, title);
    EXPECT_EQ(info.channels, 8);
    EXPECT_GE(info.seconds, 60);
}

TEST_F(MusicPlayers, BothAgreeOnTheLengthToWithinASecond) {
    Scratch s;
    Scratch::Result mpt = s.Run("openmpt123 --info spartanic.xm");
    Scratch::Result xmp_info = s.Run("xmp --load-only --driver null spartanic.xm");
    Scratch::Result xmp_render = s.Run("xmp --quiet -o xmp.wav spartanic.xm");
    ASSERT_EQ(mpt.status, 0) << mpt.out;
    ASSERT_EQ(xmp_info.status, 0) << xmp_info.out;
    ASSERT_EQ(xmp_render.status, 0) << xmp_render.out;
    const double openmpt = ParseOpenMptInfo(mpt.out).seconds;
    const int xmp_whole = ParseXmpInfo(xmp_info.out).seconds;
    Pcm pcm;
    std::string error;
    ASSERT_TRUE(ReadWav(s.Dir() / "xmp.wav", &pcm, &error)) << error;
    const double xmp_rendered = pcm.Seconds();
    EXPECT_GE(openmpt, 60.0);
    EXPECT_NEAR(xmp_rendered, openmpt, 1.0);
    EXPECT_NEAR(xmp_whole, openmpt, 1.0);
}

TEST_F(MusicPlayers, OpenMptRenderSoundsThroughoutWithoutClipping) {
    Scratch s;
    Scratch::Result r = s.Run("openmpt123 --render --quiet --force --no-float --samplerate 44100 spartanic.xm");
    ASSERT_EQ(r.status, 0) << r.out;
    Pcm pcm;
    std::string error;
    ASSERT_TRUE(ReadWav(s.Dir() / "spartanic.xm.wav", &pcm, &error)) << error;
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.Seconds(), 60.0);
    ExpectSoundThroughoutWithoutClipping(pcm);
}

TEST_F(MusicPlayers, XmpRenderSoundsThroughoutWithoutClipping) {
    Scratch s;
    Scratch::Result r = s.Run("xmp --quiet -o xmp.wav spartanic.xm");
    ASSERT_EQ(r.status, 0) << r.out;
    Pcm pcm;
    std::string error;
    ASSERT_TRUE(ReadWav(s.Dir() / "xmp.wav", &pcm, &error)) << error;
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.Seconds(), 60.0);
    ExpectSoundThroughoutWithoutClipping(pcm);
}

}  // namespace

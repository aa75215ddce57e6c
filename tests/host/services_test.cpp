// Host services against real files: path resolution, whole-file loaders,
// text decoding, the state file, images made by ImageMagick, the local date
// and the URL opener with a recording program in its place.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/glfw_game.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const String& s) {
    std::vector<unsigned char> bytes;
    s.ToUtf8(bytes);
    return std::string(bytes.begin(), bytes.end());
}

String Text(const std::string& utf8) {
    return String::FromBytes(reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder that is also the current directory while the test runs.
class InTempDir : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        dir = fs::temp_directory_path() / ("moonlit-host-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(dir);
    }
    String Path(const std::string& name) { return Text((dir / name).string()); }

    RtGlfwGame host;
    fs::path previous, dir;
};

using ResolvePath = InTempDir;

TEST_F(ResolvePath, MapsTheThreeFoldersBesideTheExecutable) {
    std::string app_dir = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(Utf8(host.ResolvePath("vantorix://data/fonti.png")), app_dir + "/data/fonti.png");
    EXPECT_EQ(Utf8(host.ResolvePath("vantorix://data/")), app_dir + "/data/");
    EXPECT_EQ(Utf8(host.ResolvePath("vantorix://internal/a/b.txt")), app_dir + "/internal/a/b.txt");
    EXPECT_EQ(Utf8(host.ResolvePath("vantorix://external/x")), app_dir + "/external/x");
    EXPECT_EQ(Utf8(host.appDir), app_dir);
    EXPECT_EQ(Utf8(host.internalDir), app_dir + "/internal");
}

TEST_F(ResolvePath, UnknownFormsAreEmptyAndOtherPathsUnchanged) {
    for (const char* unknown : {"vantorix:foo", "vantorix://other/x", "vantorix://DATA/x", "vantorix://data"})
        EXPECT_EQ(host.ResolvePath(unknown).Length(), 0) << unknown;
    for (const char* plain : {"data/x.png", "/abs/x.png", "", "Vantorix://data/x"})
        EXPECT_EQ(Utf8(host.ResolvePath(plain)), plain);
    int length = -1;
    EXPECT_EQ(host.LoadBytes("vantorix:foo", &length), nullptr);
    EXPECT_EQ(host.OpenFile("vantorix://other/x", "rb"), nullptr);
}

using LoadBytes = InTempDir;

TEST_F(LoadBytes, ReadsFilesAroundTheBlockSizeWhole) {
    for (int size : {0, 1, 4095, 4096, 4097, 3 * 1024 * 1024 + 17}) {
        std::string bytes(static_cast<size_t>(size), '\0');
        for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + size) & 0xff);
        WriteFile(dir / "blob.bin", bytes);
        int external = gc_read_counters().external_bytes;
        int length = -1;
        unsigned char* data = host.LoadBytes(Path("blob.bin"), &length);
        ASSERT_NE(data, nullptr) << size;
        EXPECT_EQ(length, size);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length)), bytes) << size;
        EXPECT_EQ(gc_read_counters().external_bytes - external, size);
        std::free(data);
    }
    int length = -1;
    EXPECT_EQ(host.LoadBytes(Path("missing.bin"), &length), nullptr);
    EXPECT_EQ(length, -1);
}

using LoadTextFile = InTempDir;

TEST_F(LoadTextFile, DecodesEachByteOrderMark) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"utf8-bom", std::string("\xEF\xBB\xBF" "h\xC3\xA9llo", 9)},
        {"utf8", std::string("h\xC3\xA9llo")},
        {"utf16le", std::string("\xFF\xFEh\0\xE9\0l\0l\0o\0", 12)},
        {"utf16be", std::string("\xFE\xFF\0h\0\xE9\0l\0l\0o", 12)},
        {"latin1", std::string("h\xE9llo")},
    };
    for (const Case& c : cases) {
        WriteFile(dir / c.name, c.bytes);
        String text = host.LoadTextFile(Path(c.name));
        ASSERT_EQ(text.Length(), 5) << c.name;
        EXPECT_EQ(text[1], 0xE9) << c.name;
        EXPECT_EQ(Utf8(text), "h\xC3\xA9llo") << c.name;
    }
    EXPECT_EQ(host.LoadTextFile(Path("missing.txt")).Length(), 0);
}

using StateFile = InTempDir;

TEST_F(StateFile, SaveThenLoadRoundTripsInTheCurrentDirectory) {
    EXPECT_EQ(host.LoadState().Length(), 0);  // no state yet
    String state = Text("level=3 name=h\xC3\xA9l\xE2\x82\xAC");
    EXPECT_EQ(host.SaveState(state), 0);
    EXPECT_EQ(ReadFile(".vantorixstate"), "level=3 name=h\xC3\xA9l\xE2\x82\xAC");
    EXPECT_TRUE(host.LoadState() == state);
    EXPECT_EQ(host.SaveState(String()), 0);
    EXPECT_EQ(ReadFile(".vantorixstate"), "");
    EXPECT_FALSE(fs::exists(".vantorixstate.tmp"));
}

TEST_F(StateFile, AFailedWriteKeepsThePreviousState) {
    ASSERT_EQ(host.SaveState("good old state"), 0);
    // A file-size limit makes the write fail part-way, as a full disk would.
    struct sigaction ignore = {}, previous_action = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous_action);
    rlimit previous_limit;
    getrlimit(RLIMIT_FSIZE, &previous_limit);
    rlimit small = previous_limit;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    int result = host.SaveState(String(std::string(100000, 'x').c_str()));
    setrlimit(RLIMIT_FSIZE, &previous_limit);
    sigaction(SIGXFSZ, &previous_action, nullptr);

    EXPECT_EQ(result, -2);
    EXPECT_EQ(ReadFile(".vantorixstate"), "good old state");
    EXPECT_FALSE(fs::exists(".vantorixstate.tmp"));
}

TEST_F(StateFile, AnUnwritableDirectoryCannotBeOpened) {
    fs::create_directory(".vantorixstate.tmp");  // the temporary name is taken by a folder
    EXPECT_EQ(host.SaveState("x"), -1);
}

using LoadImageData = InTempDir;

TEST_F(LoadImageData, DecodesPngsWithTheirOwnComponentCount) {
    struct Case {
        const char* colour;
        int png_type;
        int components;
        std::vector<int> first_pixel;
    } cases[] = {
        {"gray(40)", 0, 1, {40}},
        {"graya(40,0.4)", 4, 2, {40, 102}},
        {"rgb(10,20,30)", 2, 3, {10, 20, 30}},
        {"rgba(10,20,30,0.4)", 6, 4, {10, 20, 30, 102}},
    };
    for (const Case& c : cases) {
        std::string name = "image" + std::to_string(c.components) + ".png";
        std::string command = "convert -size 5x3 'xc:" + std::string(c.colour) +
                              "' -depth 8 -define png:color-type=" + std::to_string(c.png_type) + " " + name;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        int w = 0, h = 0, n = 0;
        int external = gc_read_counters().external_bytes;
        unsigned char* pixels = host.LoadImageData(Path(name), &w, &h, &n);
        ASSERT_NE(pixels, nullptr) << name;
        EXPECT_EQ(w, 5);
        EXPECT_EQ(h, 3);
        EXPECT_EQ(n, c.components);
        EXPECT_EQ(gc_read_counters().external_bytes - external, 5 * 3 * c.components);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(pixels[i], c.first_pixel[i], 1) << name << " component " << i;
        std::free(pixels);
    }
}

TEST_F(LoadImageData, MissingAndBrokenFilesGiveNullAndCountNothing) {
    WriteFile(dir / "broken.png", "\x89PNG\r\n\x1a\n not really");
    int external = gc_read_counters().external_bytes;
    int w = 0, h = 0, n = 0;
    EXPECT_EQ(host.LoadImageData(Path("broken.png"), &w, &h, &n), nullptr);
    EXPECT_EQ(host.LoadImageData(Path("missing.png"), &w, &h, &n), nullptr);
    EXPECT_EQ(host.LoadImageData("vantorix:nothing", &w, &h, &n), nullptr);
    EXPECT_EQ(gc_read_counters().external_bytes, external);
}

TEST(LocalDate, MatchesTheSystemClockAndFillsOnlyWhatFits) {
    Array<int> date(8);
    date.Set(7, 1234);
    std::time_t before = std::time(nullptr);
    RtGame host;
    host.GetLocalDate(date);
    std::tm local{};
    localtime_r(&before, &local);
    EXPECT_EQ(date[0], local.tm_year + 1900);
    EXPECT_EQ(date[1], local.tm_mon + 1);
    EXPECT_EQ(date[2], local.tm_mday);
    int seconds = date[3] * 3600 + date[4] * 60 + date[5];
    int expected = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_LE(seconds - expected, 2);  // the call took place after `before`
    EXPECT_GE(seconds - expected, 0);
    EXPECT_EQ(date[6], 0);
    EXPECT_EQ(date[7], 1234);  // past the seven fields: untouched

    Array<int> three(3);
    host.GetLocalDate(three);
    EXPECT_EQ(three[0], local.tm_year + 1900);
    host.GetLocalDate(Array<int>());  // empty: nothing to do
}

using OpenUrl = InTempDir;

TEST_F(OpenUrl, AHostileUrlReachesTheOpenerAsOneArgument) {
    // A stand-in opener on PATH records its arguments, one per line.
    fs::path bin = dir / "bin";
    fs::create_directory(bin);
    WriteFile(bin / "xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                    (dir / "args.txt").string() + ".part\"\nmv \"" + (dir / "args.txt").string() +
                                    ".part\" \"" + (dir / "args.txt").string() + "\"\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + old_path).c_str(), 1);

    std::string url = "http://x/?a='b'\";touch pwned;`touch pwned2`$(touch pwned3) & echo";
    host.OpenUrl(Text(url));
    for (int i = 0; i < 500 && !fs::exists(dir / "args.txt"); ++i) usleep(10000);
    setenv("PATH", old_path.c_str(), 1);

    EXPECT_EQ(ReadFile(dir / "args.txt"), url + "\n");
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(fs::exists(dir / "pwned2"));
    EXPECT_FALSE(fs::exists(dir / "pwned3"));
}

TEST(DesktopDefaults, RtGameAnswersWithEmptyValues) {
    RtGame host;
    EXPECT_EQ(host.GetDisplayModes().Length(), 0);
    EXPECT_EQ(host.GetDesktopMode(), nullptr);
    EXPECT_EQ(host.GetClipboardText().Length(), 0);
    EXPECT_EQ(Utf8(host.ResolvePath("vantorix://data/x")), "vantorix://data/x");
    int w, h, n;
    EXPECT_EQ(host.LoadImageData("x.png", &w, &h, &n), nullptr);
    EXPECT_EQ(host.CountJoysticks(true), 0);
}

}  // namespace

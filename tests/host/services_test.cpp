// Host services against real files: paths, whole files, the state file, the
// URL opener, threads, the platform's sleep, signals and date, and images
// (from real encoders, and hostile ones the image fuzz target found).
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host/glfw_game.h"
#include "host/image_file_check.h"
#include "host/platform.h"
#include "host/rt_thread.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

String Text(const std::string& utf8) {
    return String::FromBytes(reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

// A fresh folder that is the current directory while the test runs.
class Services : public ::testing::Test {
protected:
    void SetUp() override { fs::current_path(folder.Path()); }
    void TearDown() override { fs::current_path(previous); }

    RtGlfwGame host;
    fs::path previous = fs::current_path();
    TempFolder folder{"host"};
};

TEST_F(Services, ResolvePathMapsTheThreeFoldersBesideTheExecutable) {
    std::string app = fs::read_symlink("/proc/self/exe").parent_path().string();
    const std::pair<const char*, std::string> cases[] = {
        {"vantorix://data/fonti.png", app + "/data/fonti.png"}, {"vantorix://external/x", app + "/external/x"},
        {"vantorix://internal/a/b.txt", app + "/internal/a/b.txt"}, {"vantorix://data", ""}, {"vantorix://other/x", ""},
        {"data/x.png", "data/x.png"}, {"Vantorix://data/x", "Vantorix://data/x"},  // only our scheme resolves
    };
    for (const auto& [path, expected] : cases) EXPECT_TRUE(host.ResolvePath(path) == Text(expected)) << path;
}

TEST_F(Services, WholeFilesLoadAroundTheBlockSizeAndCountAsExternalMemory) {
    for (int size : {0, 1, 4095, 4096, 4097, 3 * 1024 * 1024 + 17}) {
        std::string bytes(static_cast<size_t>(size), '\0');
        for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + size) & 0xff);
        WriteFileBytes("blob.bin", bytes);
        int external = gc_read_counters().external_bytes, length = -1;
        unsigned char* data = host.LoadBytes("blob.bin", &length);
        ASSERT_NE(data, nullptr) << size;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length)), bytes) << size;
        EXPECT_EQ(gc_read_counters().external_bytes - external, size);
        std::free(data);
    }
}

TEST_F(Services, TheStateFileRoundTripsAndAFailedWriteKeepsThePreviousState) {
    const std::string state = "level=3 name=h\xC3\xA9l\xE2\x82\xAC";
    ASSERT_EQ(host.SaveState(Text(state)), 0);
    EXPECT_TRUE(host.LoadState() == Text(state));
    // A write that fails part-way, as on a full disk, keeps the old state.
    fs::create_symlink("/dev/full", ".vantorixstate.tmp");
    EXPECT_EQ(host.SaveState(String(std::string(100000, 'x').c_str())), -2);
    EXPECT_EQ(ReadFileBytes(".vantorixstate"), state);
    EXPECT_FALSE(fs::exists(".vantorixstate.tmp"));
}

TEST_F(Services, AHostileUrlReachesTheOpenerAsOneArgument) {
    // A stand-in opener first on PATH writes its arguments, one per line.
    std::string args = folder / "args.txt", path = std::getenv("PATH");
    WriteFileBytes("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + args + ".part && mv " + args + ".part " + args);
    fs::permissions("xdg-open", fs::perms::owner_all);
    setenv("PATH", (folder.Path().string() + ":" + path).c_str(), 1);
    std::string url = "http://x/?a='b'\";touch pwned;`touch pwned2`$(touch pwned3) & echo";
    host.OpenUrl(String(url.c_str()));
    for (int i = 0; i < 500 && !fs::exists(args); ++i) usleep(10000);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(ReadFileBytes(args), url + "\n");  // no shell took it apart
}

std::atomic<bool> thread_gate{false}, thread_freed{false};
std::atomic<int> thread_runs{0};

// Run holds until the test opens the gate; the collector's freeing shows.
struct GatedThread : RtThread {
    void Run() override {
        thread_runs.fetch_add(1);
        while (!thread_gate.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~GatedThread() override { thread_freed.store(true); }
};

// Whether the thread is freed within `tries` full collections (the
// allocations after each reclaim the garbage).
bool FreedWithin(int tries) {
    for (int i = 0; i < tries && !thread_freed.load(); ++i) {
        gc_collect_full();
        for (int j = 0; j < 100; ++j) gc_new<Object>();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return thread_freed.load();
}

// A running thread the program dropped survives full collections until its
// Run returns, and is collected after.
TEST(RtThread, ADroppedRunningThreadLivesUntilItsRunReturns) {
    GatedThread* t = gc_new<GatedThread>();
    t->Start();
    t->Start();  // ignored while running
    EXPECT_FALSE(FreedWithin(10));  // held by nothing but the running thread
    EXPECT_STREQ(gc_check_heap(), "");
    thread_gate = true;
    EXPECT_TRUE(FreedWithin(5000));
    EXPECT_EQ(thread_runs.load(), 1);
}

// A stale interruption in errno keeps no sleep going; the user's own signal
// setting wins; the date is the system clock's local one.
TEST(Platform, SleepsEndTheUsersSignalSettingWinsAndTheDateIsLocal) {
    errno = EINTR;
    PlatformSleepMillis(1);
    setenv("SDL_NO_SIGNAL_HANDLERS", "0", 1);
    PlatformKeepTerminationSignals();
    EXPECT_STREQ(std::getenv("SDL_NO_SIGNAL_HANDLERS"), "0");
    Array<int> date(3);
    std::time_t when = std::time(nullptr);
    RtGame().GetLocalDate(date);
    std::tm t{};
    localtime_r(&when, &t);
    EXPECT_EQ(std::vector<int>({date[0], date[1], date[2]}),
              std::vector<int>({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday}));
}

std::string Pgm(int w, int h) { return "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n\0"s; }

// What the check says of a file, and how many components the loader decodes
// it to (0: no image); a decoded image counts as memory outside the collector.
std::pair<bool, int> LookAt(const std::string& path) {
    std::string bytes = ReadFileBytes(path);
    bool safe = ImageBytesAreSafeToDecode({bytes.begin(), bytes.end()});
    int w = 0, h = 0, n = 0, external = gc_read_counters().external_bytes;
    unsigned char* pixels = RtGlfwGame().LoadImageData(String(path.c_str()), &w, &h, &n);
    if (!pixels) n = 0;
    EXPECT_EQ(gc_read_counters().external_bytes - external, w * h * n) << path;
    std::free(pixels);
    return {safe, n};
}

// Files from real encoders decode; hostile ones, and headers asking for too
// much, are refused before the decoder sees them.
TEST(Images, RealFilesDecodeAndHostileOnesAreRefusedBeforeDecoding) {
    // Huffman tables of over 256 codes (in a segment, over two tables, past
    // the file's end, after fill bytes or padding), scans naming a table no
    // segment defined, headers asking for 18176 x 18759 or 1024 x -458748
    // pixels: refused. Safe but no image: more fill bytes than the decoder's
    // buffer holds, and 4 x 0 pixels.
    const std::tuple<const char*, bool, int> files[] = {
        {"grey.png", true, 1}, {"grey_alpha.png", true, 2}, {"rgb.png", true, 3}, {"rgba.png", true, 4},
        {"palette.png", true, 3}, {"small.jpg", true, 1}, {"small.bmp", true, 3}, {"strip.gif", true, 4},
        {"jpeg_huffman_overflow.jpg", false, 0}, {"jpeg_huffman_second_table.jpg", false, 0},
        {"jpeg_huffman_past_end.jpg", false, 0}, {"jpeg_after_fill_bytes.jpg", false, 0},
        {"jpeg_huffman_after_padding.jpg", false, 0}, {"jpeg_scan_table_undefined.jpg", false, 0},
        {"jpeg_reads_unwritten_memory.jpg", false, 0}, {"gif_huge_screen.gif", false, 0},
        {"bmp_top_down_huge.bmp", false, 0}, {"jpeg_fill_past_decoder_buffer.jpg", true, 0},
        {"bmp_zero_height.bmp", true, 0},
    };
    for (const auto& [name, safe, n] : files)
        EXPECT_EQ(LookAt(MOONLIT_SOURCE_DIR "/tests/fuzz_corpus/image_loading/"s + name), std::make_pair(safe, n))
            << name;

    // A progressive JPEG's DC passes name AC tables they do not use.
    TempFolder folder("host-image");
    ASSERT_EQ(Shell("convert -size 48x32 plasma:fractal -seed 3 -interlace JPEG " + folder / "p.jpg").status, 0);
    EXPECT_EQ(LookAt(folder / "p.jpg"), std::make_pair(true, 3));

    const std::string start = "\xFF\xD8"s, table_of_257_codes = "\xFF\xC4\x00\x13\x00\xFF\x02"s;
    // A progressive frame, then a scan of one component naming DC table 3,
    // which no segment defined; the byte after it says which pass it is.
    const std::string scan_on_dc_table_3 = "\xFF\xC2\x00\x02\xFF\xDA\x00\x08\x01\x01\x30\x00\x00"s;
    const std::pair<std::string, bool> cases[] = {
        {Pgm(kMaxImageSide, 2048), true},  // exactly 32 megapixels
        {Pgm(1, kMaxImageSide + 1), false},
        {Pgm(8192, 4097), false},  // sides fine, area not
        {start + "\xFF" + table_of_257_codes, false},  // after a fill byte
        {start + scan_on_dc_table_3 + "\x00"s, false},  // a first DC pass reads it
        {start + scan_on_dc_table_3 + "\x10", true},  // a DC refinement pass reads none
    };
    for (const auto& [bytes, safe] : cases)
        EXPECT_EQ(ImageBytesAreSafeToDecode({bytes.begin(), bytes.end()}), safe) << bytes.substr(0, 12);
}

}  // namespace

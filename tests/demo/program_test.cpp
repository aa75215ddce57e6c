// The real program, end to end, on a private X server of 1920 x 1080: it
// answers its command line without a display; it plays its module, shows
// its window (640 x 480, twice that with --scale 2, the whole screen with
// --fullscreen: the picture magnified, black around it) with the bars, the
// plasma and white text, and ends with status 0 when the window is asked to
// close, even when asked while it is still starting; without its module it
// stops with the load message; without its font it draws with the default
// one.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <stb/stb_image.h>

#include "support/x_session.h"
#include "support/child_process.h"

namespace {

const std::string kProgram = MOONLIT_DEMO_PROGRAM;
const std::string kRunFolder = MOONLIT_DEMO_RUN_FOLDER;
const std::string kTitle = "Moonlit Harbor by torvin/brinecrew";
const char* const kScreen = "1920x1080x24";

struct Running {
    pid_t pid = -1;
    std::string log;  // standard output and error
};

std::string TempFolder() {
    char name[] = "/tmp/moonlit-demo-XXXXXX";
    return mkdtemp(name);
}

// Starts the program in `cwd` with `args`, its output going to a file of its
// own (tests running side by side share the build's run folder).
Running Start(const std::string& program, const std::string& cwd, std::vector<std::string> args = {}) {
    Running r;
    r.log = TempFolder() + "/program.log";
    r.pid = fork();
    if (r.pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(126);
        FILE* out = std::freopen(r.log.c_str(), "w", stdout);
        if (!out || dup2(fileno(stdout), 2) < 0) _exit(126);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return r;
}

// Waits up to `seconds` for the process to end; its exit status, 128 +
// signal when killed, or -1 when it is still running.
int WaitFor(pid_t pid, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid)
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

std::string WindowId() {
    return xsession::Capture("timeout 20 xdotool search --sync --name '" + kTitle + "' | head -n 1");
}

// The program's window as soon as it exists (shown or not); empty if it
// does not appear within 20 s.
std::string EarlyWindowId(pid_t pid) {
    std::string search = "xdotool search --pid " + std::to_string(pid) + " --name '" + kTitle + "' 2>/dev/null";
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string id;
    while (id.empty() && std::chrono::steady_clock::now() < end) id = xsession::Capture(search + " | head -n 1");
    return id;
}


struct Shot {
    int width = 0, height = 0;
    unsigned char* rgb = nullptr;
    ~Shot() { stbi_image_free(rgb); }
    const unsigned char* At(int x, int y) const { return rgb + 3 * (y * width + x); }
};

void Screenshot(const std::string& id, const std::string& path, Shot& shot) {
    xsession::Run("import -window " + id + " " + path);
    int n = 0;
    shot.rgb = stbi_load(path.c_str(), &shot.width, &shot.height, &n, 3);
}

bool IsWhite(const unsigned char* p) { return p[0] > 240 && p[1] > 240 && p[2] > 240; }
// Text pixels: the demo font runs from silver to gold, and nothing else
// right of the logo strip has that much red (the plasma stays at 128).
bool IsText(const unsigned char* p) { return p[0] > 150; }
bool IsBlack(const unsigned char* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

// The 640 x 480 picture inside a screenshot of the window, magnified by a
// whole factor, its top-left corner at (left, top).
struct Picture {
    const Shot* shot;
    int left, top, factor;
    const unsigned char* At(int x, int y) const { return shot->At(left + factor * x, top + factor * y); }
};

// The show is on screen: black bars, plasma bands and the text's letters.
void ExpectTheShow(const Picture& picture) {
    int bar_pixels = 0, text = 0, white = 0, coloured = 0;
    for (int x = 0; x < 640; ++x)
        for (int y : {0, 15, 31, 448, 463, 479}) bar_pixels += IsBlack(picture.At(x, y));
    for (int y = 32; y < 300; ++y)
        for (int x = 160; x < 600; ++x) {
            const unsigned char* p = picture.At(x, y);
            text += IsText(p);
            white += IsWhite(p);
            coloured += p[1] > p[0] && p[1] >= 16 && !IsWhite(p);  // the green plasma bands
        }
    EXPECT_EQ(bar_pixels, 640 * 6);
    EXPECT_GT(text, 3000);
    EXPECT_GT(white, 100);  // the letters' brightest rows
    EXPECT_GT(coloured, 50000);
}

// Every picture pixel is a square of factor x factor equal pixels, and all
// around the picture the window is black.
void ExpectMagnifiedExactly(const Picture& picture) {
    int uneven = 0, lit_border = 0;
    for (int y = 0; y < 480 * picture.factor; ++y)
        for (int x = 0; x < 640 * picture.factor; ++x)
            uneven += std::memcmp(picture.shot->At(picture.left + x, picture.top + y),
                                  picture.At(x / picture.factor, y / picture.factor), 3) != 0;
    for (int y = 0; y < picture.shot->height; ++y)
        for (int x = 0; x < picture.shot->width; ++x) {
            bool inside = x >= picture.left && x < picture.left + 640 * picture.factor && y >= picture.top &&
                          y < picture.top + 480 * picture.factor;
            lit_border += !inside && !IsBlack(picture.shot->At(x, y));
        }
    EXPECT_EQ(uneven, 0);
    EXPECT_EQ(lit_border, 0);
}

TEST(CommandLine, IsAnsweredWithoutADisplay) {
    const std::string usage = "Usage: moonlit-harbor [--scale N | --fullscreen]\n";
    const std::string hint = "\nTry 'moonlit-harbor --help'.\n";
    const std::string bad_scale = "moonlit-harbor: --scale wants a whole number from 1 to 8" + hint;
    struct Case {
        const char* args;
        int status;
        std::string out_start, err;
    } cases[] = {
        {"--help", 0, usage, ""},
        {"-h", 0, usage, ""},
        {"--version", 0, "moonlit-harbor " MOONLIT_VERSION "\n", ""},
        {"--bogus", 2, "", "moonlit-harbor: unknown option --bogus" + hint},
        {"spartanic.xm", 2, "", "moonlit-harbor: unexpected argument spartanic.xm" + hint},
        {"--scale", 2, "", bad_scale},
        {"--scale 0", 2, "", bad_scale},
        {"--scale=9", 2, "", bad_scale},
        {"--scale 2x", 2, "", bad_scale},
        {"--scale 2 --fullscreen", 2, "", "moonlit-harbor: give --scale or --fullscreen, not both" + hint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ChildResult r = RunChild(kProgram + " " + c.args, "", "env -u DISPLAY");
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out.substr(0, c.out_start.size()), c.out_start);
        EXPECT_EQ(r.out.empty(), c.out_start.empty());
        EXPECT_EQ(r.err, c.err);
    }
}

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer(kScreen)); }
    void TearDown() override {
        if (running.pid > 0 && WaitFor(running.pid, 0) == -1) {
            kill(running.pid, SIGKILL);
            waitpid(running.pid, nullptr, 0);
        }
    }
    Running running;
};

// How the window is asked for, and where the picture must then be.
struct WindowCase {
    const char* name;
    std::vector<std::string> args;
    int width, height;            // the window
    int left, top, factor;        // the picture in it
};

void PrintTo(const WindowCase& c, std::ostream* out) { *out << c.name; }

class ProgramWindow : public Program, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(ProgramWindow, ShowsTheShowAndClosesOnRequest) {
    const WindowCase& c = GetParam();
    std::string folder = TempFolder();
    running = Start(kProgram, kRunFolder, c.args);
    std::string id = WindowId();
    ASSERT_FALSE(id.empty()) << ReadWholeFile(running.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    Shot shot;
    Screenshot(id, folder + "/shot.png", shot);
    ASSERT_EQ(shot.width, c.width);
    ASSERT_EQ(shot.height, c.height);
    Picture picture{&shot, c.left, c.top, c.factor};
    ExpectTheShow(picture);
    ExpectMagnifiedExactly(picture);

    xsession::SendDeleteWindow(id);
    EXPECT_EQ(WaitFor(running.pid, 20.0), 0);
    // Nothing but what the program means to say: no library complaining at
    // exit about an audio device left open.
    EXPECT_EQ(ReadWholeFile(running.log), "Playing Low Tide Lanterns (8 chn)\n");
}

INSTANTIATE_TEST_SUITE_P(Choices, ProgramWindow,
                         ::testing::Values(WindowCase{"Plain", {}, 640, 480, 0, 0, 1},
                                           WindowCase{"ScaleTwo", {"--scale", "2"}, 1280, 960, 0, 0, 2},
                                           // 2.25 times fits: sharp pixels at 2, centred
                                           WindowCase{"Fullscreen", {"--fullscreen"}, 1920, 1080, 320, 60, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Program, ACloseRequestWhileItStartsEndsItOnceTheGameBegins) {
    running = Start(kProgram, kRunFolder);
    // Asked once, as soon as the window exists: before the game has begun.
    std::string id = EarlyWindowId(running.pid);
    ASSERT_FALSE(id.empty()) << ReadWholeFile(running.log);
    xsession::SendDeleteWindow(id);
    EXPECT_EQ(WaitFor(running.pid, 20.0), 0);
    // The game began (the module plays at its start) and then ended.
    EXPECT_EQ(ReadWholeFile(running.log), "Playing Low Tide Lanterns (8 chn)\n");
}

TEST_F(Program, InterruptEndsItWhileTheMusicPlays) {
    running = Start(kProgram, kRunFolder);
    ASSERT_FALSE(WindowId().empty()) << ReadWholeFile(running.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(running.pid, SIGINT);
    EXPECT_EQ(WaitFor(running.pid, 5.0), 128 + SIGINT);
}

TEST_F(Program, MissingModuleEndsWithTheLoadMessage) {
    std::string empty = TempFolder();  // no spartanic.xm in the working directory
    running = Start(kProgram, empty);
    int status = WaitFor(running.pid, 20.0);
    EXPECT_NE(status, 0);
    EXPECT_NE(status, -1);
    std::string log = ReadWholeFile(running.log);
    EXPECT_NE(log.find("spartanic.xm"), std::string::npos) << log;
    EXPECT_EQ(log.find("Memory access violation"), std::string::npos) << log;
}

TEST_F(Program, MissingDemoFontFallsBackToTheDefaultFont) {
    // A run folder of its own: the program, data/ with only the default
    // font, and the module.
    std::string folder = TempFolder();
    ASSERT_EQ(xsession::Run("mkdir -p " + folder + "/data && cp " + kProgram + " " + folder + "/ && cp " +
                            kRunFolder + "/data/kova_font.png " + folder + "/data/ && cp " + kRunFolder +
                            "/spartanic.xm " + folder + "/"),
              0);
    running = Start(folder + "/moonlit-harbor", folder);
    std::string id = WindowId();
    ASSERT_FALSE(id.empty()) << ReadWholeFile(running.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    Shot shot;
    Screenshot(id, folder + "/shot.png", shot);
    ASSERT_EQ(shot.width, 640);
    int white_text = 0;
    for (int y = 32; y < 300; ++y)
        for (int x = 16; x < 600; ++x) white_text += IsWhite(shot.At(x, y));
    EXPECT_GT(white_text, 500);  // the info text, in the default font
    xsession::SendDeleteWindow(id);
    EXPECT_EQ(WaitFor(running.pid, 5.0), 0);
}

}  // namespace

// The real program, end to end, on a private X server: it plays its module,
// shows its window with the bars, the plasma and white text, and ends with
// status 0 when the window is asked to close; without its module it stops
// with the load message; without its font it draws with the default one.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <stb/stb_image.h>

#include "host/x_session.h"
#include "support/child_process.h"

namespace {

const std::string kProgram = MOONLIT_DEMO_PROGRAM;
const std::string kRunFolder = MOONLIT_DEMO_RUN_FOLDER;
const std::string kTitle = "Moonlit Harbor by torvin/brinecrew";

struct Running {
    pid_t pid = -1;
    std::string log;  // standard output and error
};

// Starts the program in `cwd`, its output going to a file there.
Running start(const std::string& program, const std::string& cwd) {
    Running r;
    r.log = cwd + "/program.log";
    r.pid = fork();
    if (r.pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(126);
        FILE* out = std::freopen(r.log.c_str(), "w", stdout);
        if (!out || dup2(fileno(stdout), 2) < 0) _exit(126);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return r;
}

// Waits up to `seconds` for the process to end; its exit status, 128 +
// signal when killed, or -1 when it is still running.
int wait_for(pid_t pid, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid)
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

std::string window_id() {
    return xsession::Capture("timeout 20 xdotool search --sync --name '" + kTitle + "' | head -n 1");
}

std::string temp_folder() {
    char name[] = "/tmp/moonlit-demo-XXXXXX";
    return mkdtemp(name);
}

struct Shot {
    int width = 0, height = 0;
    unsigned char* rgb = nullptr;
    ~Shot() { stbi_image_free(rgb); }
    const unsigned char* at(int x, int y) const { return rgb + 3 * (y * width + x); }
};

void screenshot(const std::string& id, const std::string& path, Shot& shot) {
    xsession::Run("import -window " + id + " " + path);
    int n = 0;
    shot.rgb = stbi_load(path.c_str(), &shot.width, &shot.height, &n, 3);
}

bool is_white(const unsigned char* p) { return p[0] > 240 && p[1] > 240 && p[2] > 240; }
// Text pixels: the demo font runs from silver to gold, and nothing else
// right of the logo strip has that much red (the plasma stays at 128).
bool is_text(const unsigned char* p) { return p[0] > 150; }
bool is_black(const unsigned char* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer()); }
    void TearDown() override {
        if (running_.pid > 0 && wait_for(running_.pid, 0) == -1) {
            kill(running_.pid, SIGKILL);
            waitpid(running_.pid, nullptr, 0);
        }
    }
    Running running_;
};

TEST_F(Program, ShowsTheShowAndClosesOnRequest) {
    std::string folder = temp_folder();
    running_ = start(kProgram, kRunFolder);
    std::string id = window_id();
    ASSERT_FALSE(id.empty()) << read_whole_file(running_.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    Shot shot;
    screenshot(id, folder + "/shot.png", shot);
    ASSERT_EQ(shot.width, 640);
    ASSERT_EQ(shot.height, 480);
    int bar_pixels = 0, text = 0, white = 0, coloured = 0;
    for (int x = 0; x < 640; ++x)
        for (int y : {0, 15, 31, 448, 463, 479}) bar_pixels += is_black(shot.at(x, y));
    for (int y = 32; y < 300; ++y)
        for (int x = 160; x < 600; ++x) {
            text += is_text(shot.at(x, y));
            white += is_white(shot.at(x, y));
            const unsigned char* p = shot.at(x, y);
            coloured += p[1] > p[0] && p[1] >= 16 && !is_white(p);  // the green plasma bands
        }
    EXPECT_EQ(bar_pixels, 640 * 6);
    EXPECT_GT(text, 3000);
    EXPECT_GT(white, 100);  // the letters' brightest rows
    EXPECT_GT(coloured, 50000);

    auto asked = std::chrono::steady_clock::now();
    xsession::SendDeleteWindow(id);
    int status = wait_for(running_.pid, 5.0);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    EXPECT_EQ(status, 0);
    EXPECT_LT(took, 1.0);
    // Nothing but what the program means to say: no library complaining at
    // exit about an audio device left open.
    EXPECT_EQ(read_whole_file(running_.log), "Playing Low Tide Lanterns (8 chn)\n");
}

TEST_F(Program, InterruptEndsItWhileTheMusicPlays) {
    running_ = start(kProgram, kRunFolder);
    ASSERT_FALSE(window_id().empty()) << read_whole_file(running_.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(running_.pid, SIGINT);
    EXPECT_EQ(wait_for(running_.pid, 5.0), 128 + SIGINT);
}

TEST_F(Program, MissingModuleEndsWithTheLoadMessage) {
    std::string empty = temp_folder();  // no spartanic.xm in the working directory
    running_ = start(kProgram, empty);
    int status = wait_for(running_.pid, 20.0);
    EXPECT_NE(status, 0);
    EXPECT_NE(status, -1);
    std::string log = read_whole_file(running_.log);
    EXPECT_NE(log.find("spartanic.xm"), std::string::npos) << log;
    EXPECT_EQ(log.find("Memory access violation"), std::string::npos) << log;
}

TEST_F(Program, MissingDemoFontFallsBackToTheDefaultFont) {
    // A run folder of its own: the program, data/ with only the default
    // font, and the module.
    std::string folder = temp_folder();
    ASSERT_EQ(xsession::Run("mkdir -p " + folder + "/data && cp " + kProgram + " " + folder + "/ && cp " +
                            kRunFolder + "/data/kova_font.png " + folder + "/data/ && cp " + kRunFolder +
                            "/spartanic.xm " + folder + "/"),
              0);
    running_ = start(folder + "/moonlit-harbor", folder);
    std::string id = window_id();
    ASSERT_FALSE(id.empty()) << read_whole_file(running_.log);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    Shot shot;
    screenshot(id, folder + "/shot.png", shot);
    ASSERT_EQ(shot.width, 640);
    int white_text = 0;
    for (int y = 32; y < 300; ++y)
        for (int x = 16; x < 600; ++x) white_text += is_white(shot.at(x, y));
    EXPECT_GT(white_text, 500);  // the info text, in the default font
    xsession::SendDeleteWindow(id);
    EXPECT_EQ(wait_for(running_.pid, 5.0), 0);
}

}  // namespace

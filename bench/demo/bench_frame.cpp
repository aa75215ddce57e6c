// What a frame of the show costs, against the floor and the alternatives,
// printed as one table of ratios. Everything is measured in one run and
// compared within it: the CPU-only pair (floor, framework on the do-nothing
// GL table) as interleaved Google Benchmark repetitions in this process; the
// programs on the driver (ours, SDL2, immediate mode) as child processes of
// this executable, in interleaved rounds; medians throughout.
//
//   bench_frame                       the whole table (needs an X display)
//   bench_frame --rounds R --frames N --memory-frames N --repetitions N
//   bench_frame --cpu-only            only the rows without a driver
//   bench_frame --child ours|sdl|immediate WARM FRAMES [HWM_AT]
//   bench_frame --read ours|sdl|immediate FRAMES FILE
//   bench_frame --instructions FRAMES [floor]  (run by instructions.sh under callgrind)
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/demo/alternatives.h"
#include "tests/support/frame_scene.h"
#include "bench/demo/ours.h"
#include "graphics/host_link.h"

namespace {

std::string ExePath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "bench_frame";
    buf[n] = 0;
    return buf;
}

std::string ExeDir() {
    std::string p = ExePath();
    return p.substr(0, p.find_last_of('/'));
}

std::string FontPath() { return ExeDir() + "/data/fonti.png"; }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// ---- (1) the floor ----------------------------------------------------------

struct Vertex {
    float x, y, u, v;
    uint32_t colour;
};

// Writes the frame's vertices into a reused batch of 1,024, as any program
// handing quads to a driver must; the batch's contents are kept observable.
struct FloorSink {
    Vertex batch[1024];
    int count = 0;
    float uscale = 1.0f / 1456, vscale = 1.0f / 16;

    Vertex* Take() {
        if (count == 1024) {
            benchmark::DoNotOptimize(batch);
            benchmark::ClobberMemory();
            count = 0;
        }
        Vertex* v = batch + count;
        count += 4;
        return v;
    }
    void Clear() { count = 0; }
    void Rect(float x, float y, float w, float h, uint32_t c) {
        Vertex* v = Take();
        v[0].x = x, v[0].y = y, v[0].colour = c;
        v[1].x = x + w, v[1].y = y, v[1].colour = c;
        v[2].x = x + w, v[2].y = y + h, v[2].colour = c;
        v[3].x = x, v[3].y = y + h, v[3].colour = c;
    }
    void Glyph(float x, float y, int sx, int sy, int w, int h, uint32_t c) {
        float u0 = static_cast<float>(sx) * uscale, u1 = static_cast<float>(sx + w) * uscale;
        float v0 = static_cast<float>(sy) * vscale, v1 = static_cast<float>(sy + h) * vscale;
        float fw = static_cast<float>(w), fh = static_cast<float>(h);
        Vertex* v = Take();
        v[0] = {x, y, u0, v0, c};
        v[1] = {x + fw, y, u1, v0, c};
        v[2] = {x + fw, y + fh, u1, v1, c};
        v[3] = {x, y + fh, u0, v1, c};
    }
};

const scene::Text& ShowText() {
    static const scene::Text text = scene::ShowText(1456, 16);
    return text;
}

void BM_Floor(benchmark::State& st) {
    static FloorSink sink;
    scene::State s;
    for (auto _ : st) {
        scene::DrawFrame(sink, s, ShowText());
        scene::Update(s, ShowText());
        benchmark::DoNotOptimize(sink.batch);
        benchmark::ClobberMemory();
    }
}

// The same frame with each distinct sine and cosine evaluated once: the
// plasma's row sine per row, the logo's three per strip row and its eight
// column shades per frame. Same vertices, far fewer calls.
struct DistinctFloor {
    static void Frame(FloorSink& sink, scene::State& s, const scene::Text& t) {
        using scene::DegCos;
        using scene::DegSin;
        using scene::Pack;
        sink.Clear();
        s.colour = Pack(255, 255, 255);
        for (int y = 0; y <= 480; y += 8) {
            s.plasma_phase = s.plasma_phase + 0.001f;
            float half = DegSin(s.plasma_phase);
            s.plasma_scale = half + half;
            float row_sine = DegSin(320.0f - s.plasma_scale * static_cast<float>(y));
            for (int x = 0; x <= 640; x += 8) {
                float v = 0.5f * DegCos(240.0f - s.plasma_scale * static_cast<float>(x)) + row_sine;
                scene::PlasmaColour(v, &s.colour);
                sink.Rect(static_cast<float>(x), static_cast<float>(y), 8, 8, s.colour);
            }
            if (s.plasma_phase > 360.0f) s.plasma_phase = 0.0f;
        }
        float shade[8];
        for (int c = 0; c < 8; ++c) shade[c] = DegSin(static_cast<float>(2 * (1 + 4 * c)));
        const int offset = static_cast<int>(s.logo_row_offset);
        for (int k = 0; k <= 480; k += 4) {
            s.logo_phase = s.logo_phase + 0.028f;
            const float p = s.logo_phase, fk = static_cast<float>(k), q = static_cast<float>(k / 32);
            float sin_p = DegSin(p), cos_k = DegCos(fk), bend = 32.0f * DegSin(fk - p);
            float lean = q * sin_p;
            for (int c = 0, j = 1; j <= 29; j += 4, ++c) {
                float two_j = static_cast<float>(2 * j);
                sink.Rect((((cos_k + 32.0f) + bend) + lean) + two_j, fk, 8, 8,
                          Pack(sin_p / 1.5f, sin_p / 1.5f, (128.0f * shade[c] + 64.0f) / 1.5f));
                size_t index = static_cast<size_t>(j / 8 + 4 * (k / 8) + 4 * offset);
                bool lit = index < t.logo.size() && t.logo[index] == '1';
                uint32_t front = lit ? Pack(256.0f * shade[c], sin_p, 128.0f * shade[c] + 128.0f)
                                     : Pack(16.0f + sin_p, 32.0f + sin_p, 128.0f * shade[c] + 32.0f);
                sink.Rect(two_j + (lean + (cos_k + bend)), static_cast<float>(k - 16), 8, 8, front);
            }
            if (s.logo_phase > 360.0f) s.logo_phase = 0.0f;
        }
        s.logo_row_offset = s.logo_row_offset + 1.0f;
        if (s.logo_row_offset == 8.0f) s.logo_row_offset = 0.0f;
        for (int i = 0; i < 9; ++i) scene::DrawText(sink, t, t.info[i], 18, t.info_y[i], Pack(128, 128, 128));
        for (int i = 0; i < 9; ++i) scene::DrawText(sink, t, t.info[i], 16, t.info_y[i] - 2, Pack(255, 255, 255));
        const int n = static_cast<int>(t.scroll.size());
        for (int i = 0; i <= n; ++i) {
            int x = static_cast<int>(static_cast<float>(s.scroll_x + 18 * i) + s.scroll_wave);
            int y = static_cast<int>(s.scroll_base_y + (s.scroll_wave + s.scroll_wave));
            if (i < n) scene::DrawChar(sink, t, t.scroll[static_cast<size_t>(i)], x, y, Pack(255, 255, 255));
            s.scroll_wave = 8.0f * DegSin(static_cast<float>(s.scroll_x + 40 * i));
        }
        s.colour = Pack(0, 0, 0);
        sink.Rect(0, 0, 640, 32, s.colour);
        sink.Rect(0, 448, 640, 32, s.colour);
    }
};

void BM_FloorDistinctSines(benchmark::State& st) {
    static FloorSink sink;
    scene::State s;
    for (auto _ : st) {
        DistinctFloor::Frame(sink, s, ShowText());
        scene::Update(s, ShowText());
        benchmark::DoNotOptimize(sink.batch);
        benchmark::ClobberMemory();
    }
}

// ---- (2) ours without a driver -------------------------------------------------

void BM_OursNoDriver(benchmark::State& st) {
    for (auto _ : st) ours::RenderFrames(1);
}

// The two size queries a frame would cost if the device asked GLFW for them
// (on X11 each is a round trip to the server); it reads the sizes the host's
// callbacks keep instead.
void BM_WindowSizeQueries(benchmark::State& st) {
    GLFWwindow* window = HostWindow();
    int w = 0, h = 0;
    for (auto _ : st) {
        glfwGetWindowSize(window, &w, &h);
        glfwGetFramebufferSize(window, &w, &h);
        benchmark::DoNotOptimize(w + h);
    }
}

// Collects the CPU time per iteration of every repetition, by name.
class Collector : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, std::vector<double>> cpu_ns;
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                cpu_ns[r.run_name.function_name].push_back(r.GetAdjustedCPUTime());
    }
};

// ---- children -------------------------------------------------------------------

struct ChildResult {
    double cpu_ns = 0, fps = 0;
    long hwm_at = -1, hwm_end = -1;
    bool ok = false;
};

ChildResult RunChild(const std::string& who, int warm, int frames, int hwm_at) {
    std::string cmd = "'" + ExePath() + "' --child " + who + " " + std::to_string(warm) + " " +
                      std::to_string(frames) + " " + std::to_string(hwm_at);
    ChildResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char line[512];
    while (std::fgets(line, sizeof line, p))
        if (std::sscanf(line, "frame-result %lf %lf %ld %ld", &r.cpu_ns, &r.fps, &r.hwm_at, &r.hwm_end) == 4)
            r.ok = true;
    if (pclose(p) != 0) r.ok = false;
    return r;
}

std::vector<uint8_t> ReadChild(const std::string& who, int frames) {
    std::string file = "/tmp/moonlit-bench-frame-" + std::to_string(getpid()) + "-" + who + ".rgba";
    std::string cmd = "'" + ExePath() + "' --read " + who + " " + std::to_string(frames) + " " + file;
    std::vector<uint8_t> pixels;
    if (std::system(cmd.c_str()) != 0) return pixels;
    std::ifstream in(file, std::ios::binary);
    pixels.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(file.c_str());
    return pixels;
}

int DifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        if (std::memcmp(&a[i], &b[i], 3) != 0) ++n;
    return n;
}

int ChildMain(int argc, char** argv) {
    std::string who = argv[2];
    int warm = std::atoi(argv[3]), frames = std::atoi(argv[4]);
    int hwm_at = argc > 5 ? std::atoi(argv[5]) : -1;
    ours::LoopResult r;
    if (who == "ours") {
        ours::Start(1, argv, false);
        r = ours::RunLoop(warm, frames, hwm_at);
    } else {
        auto kind = who == "sdl" ? alternatives::Kind::kSdl : alternatives::Kind::kImmediate;
        r = alternatives::RunLoop(kind, FontPath(), warm, frames);
    }
    std::printf("frame-result %.1f %.2f %ld %ld\n", r.cpu_ns_per_frame, r.frames_per_second, r.hwm_ki_b_at, r.hwm_ki_b_end);
    std::fflush(stdout);
    std::_Exit(0);  // the demo's music and windows need no orderly end here
}

int ReadMain(char** argv) {
    std::string who = argv[2];
    int frames = std::atoi(argv[3]);
    std::vector<uint8_t> pixels;
    if (who == "ours") {
        ours::Start(1, argv, false);
        pixels = ours::RenderAndRead(frames);
    } else {
        auto kind = who == "sdl" ? alternatives::Kind::kSdl : alternatives::Kind::kImmediate;
        pixels = alternatives::RenderAndRead(kind, FontPath(), frames);
    }
    std::ofstream out(argv[4], std::ios::binary);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    out.close();
    std::_Exit(out ? 0 : 1);
}

// ---- the table --------------------------------------------------------------------

std::string CpuModel() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown";
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

struct Options {
    int rounds = 5;
    int repetitions = 9;
    int frames = 400;
    int memory_frames = 20000;
    bool cpu_only = false;
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--cpu-only") o.cpu_only = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        int v = std::atoi(argv[i + 1]);
        if (a == "--rounds") o.rounds = v;
        if (a == "--repetitions") o.repetitions = v;
        if (a == "--frames") o.frames = v;
        if (a == "--memory-frames") o.memory_frames = v;
    }
    return o;
}

long InstructionsPerFrame(const char* which) {
    std::string script = std::string(MOONLIT_SOURCE_DIR) + "/bench/demo/instructions.sh";
    std::string cmd = "sh '" + script + "' '" + ExePath() + "' 50 " + which + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long n = -1;
    char line[256];
    while (std::fgets(line, sizeof line, p)) std::sscanf(line, "instructions_per_frame %ld", &n);
    pclose(p);
    return n;
}

int TableMain(int argc, char** argv) {
    Options o = ParseOptions(argc, argv);
    ours::Start(1, argv, true);
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string gl_version = version ? version : "unknown", gl_renderer = renderer ? renderer : "unknown";

    // (1) and (2), interleaved repetitions in this process.
    std::fprintf(stderr, "bench_frame: floor and framework on the do-nothing GL table...\n");
    benchmark::RegisterBenchmark("floor", BM_Floor)->Unit(benchmark::kMicrosecond)->MinTime(0.3);
    benchmark::RegisterBenchmark("floor_distinct_sines", BM_FloorDistinctSines)
        ->Unit(benchmark::kMicrosecond)
        ->MinTime(0.3);
    benchmark::RegisterBenchmark("ours_no_driver", BM_OursNoDriver)->Unit(benchmark::kMicrosecond)->MinTime(0.3);
    benchmark::RegisterBenchmark("size_queries", BM_WindowSizeQueries)->Unit(benchmark::kMicrosecond)->MinTime(0.3);
    std::string reps = "--benchmark_repetitions=" + std::to_string(o.repetitions);
    std::vector<char*> gb_args = {argv[0], const_cast<char*>(reps.c_str()),
                                 const_cast<char*>("--benchmark_enable_random_interleaving=true")};
    int gb_argc = static_cast<int>(gb_args.size());
    benchmark::Initialize(&gb_argc, gb_args.data());
    Collector collected;
    benchmark::RunSpecifiedBenchmarks(&collected);
    double floor_us = Median(collected.cpu_ns["floor"]);
    double distinct_us = Median(collected.cpu_ns["floor_distinct_sines"]);
    double ours_null_us = Median(collected.cpu_ns["ours_no_driver"]);
    double size_queries_us = Median(collected.cpu_ns["size_queries"]);
    if (o.cpu_only) {
        std::printf("floor %.1f us, floor with distinct sines %.1f us, ours without a driver %.1f us: %.2f x; "
                    "size queries %.1f us\n",
                    floor_us, distinct_us, ours_null_us, ours_null_us / floor_us, size_queries_us);
        std::fflush(stdout);
        std::_Exit(0);
    }

    // (3), (4): the three programs on the driver, interleaved rounds.
    std::fprintf(stderr, "bench_frame: %d rounds on the driver...\n", o.rounds);
    const char* who[3] = {"ours", "sdl", "immediate"};
    std::map<std::string, std::vector<double>> cpu, fps;
    // Ratios within each round, whose three runs follow one another.
    std::vector<double> vs_sdl, vs_immediate, fps_vs_immediate;
    int failures = 0;
    for (int round = 0; round < o.rounds; ++round) {
        std::map<std::string, ChildResult> got;
        for (int i = 0; i < 3; ++i) {
            const char* w = who[(i + round) % 3];
            ChildResult r = RunChild(w, 30, o.frames, -1);
            if (!r.ok) {
                ++failures;
                continue;
            }
            got[w] = r;
            cpu[w].push_back(r.cpu_ns / 1000);
            fps[w].push_back(r.fps);
        }
        if (got.size() < 3) continue;
        vs_sdl.push_back(got["ours"].cpu_ns / got["sdl"].cpu_ns);
        vs_immediate.push_back(got["ours"].cpu_ns / got["immediate"].cpu_ns);
        fps_vs_immediate.push_back(got["ours"].fps / got["immediate"].fps);
    }

    // The three frames must be the same picture.
    std::fprintf(stderr, "bench_frame: read-back of frame 37...\n");
    std::vector<uint8_t> ours_pixels = ReadChild("ours", 37);
    int sdl_diff = DifferentPixels(ours_pixels, ReadChild("sdl", 37));
    int imm_diff = DifferentPixels(ours_pixels, ReadChild("immediate", 37));

    // (5) instructions per frame under callgrind.
    std::fprintf(stderr, "bench_frame: callgrind...\n");
    long instructions = InstructionsPerFrame("ours"), floor_instructions = InstructionsPerFrame("floor");

    // (6) memory over a long run.
    std::fprintf(stderr, "bench_frame: %d frames for memory...\n", o.memory_frames);
    ChildResult mem = RunChild("ours", 0, o.memory_frames, 100);

    double ours_cpu = Median(cpu["ours"]), sdl_cpu = Median(cpu["sdl"]), imm_cpu = Median(cpu["immediate"]);
    (void)sdl_cpu, (void)imm_cpu;
    double ours_fps = Median(fps["ours"]), sdl_fps = Median(fps["sdl"]), imm_fps = Median(fps["immediate"]);
    double mem_diff_ki_b = static_cast<double>(mem.hwm_end - mem.hwm_at);

    std::printf("\nMachine: %ld cores, %s; %s (%s)\n", sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str(),
                gl_renderer.c_str(), gl_version.c_str());
    std::printf("Medians of %d repetitions (CPU-only rows) and %d rounds of %d frames (driver rows; ratios are "
                "medians of each round's ratio)%s.\n\n",
                o.repetitions, o.rounds, o.frames, failures ? " (some child runs failed)" : "");
    std::printf("| # | measure | per frame | ratio | target | |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::printf("| 1 | floor: the show's 14,034 sines/cosines + vertices into a buffer | %.1f us | 1.00 | | |\n",
                floor_us);
    std::printf("| 1b | floor, each distinct sine once (5,592) | %.1f us | %.2f | (for reference) | |\n",
                distinct_us, distinct_us / floor_us);
    std::printf("| 2 | ours, OnRender through the framework, do-nothing GL, collector step | %.1f us | %.2f x (1) | "
                "<= 1.5 | %s |\n",
                ours_null_us, ours_null_us / floor_us, Verdict(ours_null_us / floor_us <= 1.5));
    std::printf("| 2a | for comparison: asking GLFW for both window sizes (X11 round trips), which a frame "
                "no longer does | %.1f us | %.2f x (1) | | |\n",
                size_queries_us, size_queries_us / floor_us);
    double r_sdl = Median(vs_sdl), r_imm = Median(vs_immediate), r_imm_fps = Median(fps_vs_immediate);
    std::printf("| 3 | ours on llvmpipe: main-thread CPU | %.1f us, %.0f fps | %.2f x SDL2 | <= 0.5 | %s |\n",
                ours_cpu, ours_fps, r_sdl, Verdict(r_sdl <= 0.5));
    std::printf("| 3 | | | %.2f x immediate (CPU), %.2f x its fps | < 1, > 1 | %s |\n", r_imm, r_imm_fps,
                Verdict(r_imm < 1 && r_imm_fps > 1));
    std::printf("| 4a | SDL2 renderer, opengl driver, batching | %.1f us, %.0f fps | | | |\n", sdl_cpu, sdl_fps);
    std::printf("| 4b | immediate-mode OpenGL 1.1, glBegin/glEnd per quad | %.1f us, %.0f fps | | | |\n", imm_cpu,
                imm_fps);
    std::printf("| 4 | read-back of frame 37: pixels differing from ours | SDL2 %d, immediate %d | | 0 | %s |\n",
                sdl_diff, imm_diff, Verdict(sdl_diff == 0 && imm_diff == 0));
    std::printf("| 5 | callgrind instructions per frame of (2); of (1) | %ld; %ld | %.2f | | |\n", instructions,
                floor_instructions, floor_instructions > 0 ? static_cast<double>(instructions) / floor_instructions : 0.0);
    std::printf("| 6 | peak resident memory after 100 / %d frames | %.1f / %.1f MiB | %+.0f KiB | <= 1 MiB | %s |\n",
                o.memory_frames, mem.hwm_at / 1024.0, mem.hwm_end / 1024.0, mem_diff_ki_b,
                Verdict(mem.ok && mem_diff_ki_b <= 1024));
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

// Run under callgrind by instructions.sh: only this function is counted.
extern "C" __attribute__((noinline)) void moonlit_measured_frames(int n, bool floor) {
    if (!floor) return ours::RenderFrames(n);
    static FloorSink sink;
    scene::State s;
    for (int i = 0; i < n; ++i) {
        scene::DrawFrame(sink, s, ShowText());
        scene::Update(s, ShowText());
    }
    benchmark::DoNotOptimize(sink.batch);
}

int main(int argc, char** argv) {
    if (chdir(ExeDir().c_str()) != 0) return 2;  // the music module is read from the working folder
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) return ChildMain(argc, argv);
    if (argc >= 5 && std::strcmp(argv[1], "--read") == 0) return ReadMain(argv);
    if (argc >= 3 && std::strcmp(argv[1], "--instructions") == 0) {
        bool floor = argc >= 4 && std::strcmp(argv[3], "floor") == 0;
        ours::Start(1, argv, true);
        ours::RenderFrames(20);  // texture and first-use work out of the count
        moonlit_measured_frames(std::atoi(argv[2]), floor);
        std::printf("frames %d\n", std::atoi(argv[2]));
        std::fflush(stdout);
        std::_Exit(0);
    }
    return TableMain(argc, argv);
}

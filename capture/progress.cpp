// ProgressLine: the text, and when to draw it.
#include "capture/progress.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

ProgressLine::ProgressLine(std::FILE* out, int total, bool in_place) : out(out), total(total), in_place(in_place) {}

std::string ProgressLine::Text(int done, int total, double seconds) {
    double fps = seconds > 0 ? done / seconds : 0;
    char text[128];
    if (fps > 0 && done < total) {
        int left = static_cast<int>((total - done) / fps + 0.5);
        std::snprintf(text, sizeof text, "frame %d/%d, %.1f fps, %d:%02d left", done, total, fps, left / 60,
                      left % 60);
    } else {
        std::snprintf(text, sizeof text, "frame %d/%d, %.1f fps", done, total, fps);
    }
    return text;
}

void ProgressLine::Update(int done) {
    if (in_place) {
        // A few redraws a second are enough to read.
        if (done < total && SecondsSince(last_draw) < 0.2) return;
        last_draw = std::chrono::steady_clock::now();
        std::fprintf(out, "\r%s\033[K", Text(done, total, SecondsSince(start)).c_str());
        std::fflush(out);
        return;
    }
    int tenth = total > 0 ? static_cast<int>(10LL * done / total) : 10;
    if (tenth == last_tenth) return;
    last_tenth = tenth;
    std::fprintf(out, "%s\n", Text(done, total, SecondsSince(start)).c_str());
}

void ProgressLine::Finish(int done) {
    if (!in_place) {
        if (last_tenth < 10) std::fprintf(out, "%s\n", Text(done, total, SecondsSince(start)).c_str());
        return;
    }
    std::fprintf(out, "\r%s\033[K\n", Text(done, total, SecondsSince(start)).c_str());
    std::fflush(out);
}

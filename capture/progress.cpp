// ProgressLine: the text, and when to draw it.
#include "capture/progress.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

ProgressLine::ProgressLine(std::FILE* out, int total, bool inPlace) : out_(out), total_(total), inPlace_(inPlace) {}

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
    if (inPlace_) {
        // A few redraws a second are enough to read.
        if (done < total_ && SecondsSince(lastDraw_) < 0.2) return;
        lastDraw_ = std::chrono::steady_clock::now();
        std::fprintf(out_, "\r%s\033[K", Text(done, total_, SecondsSince(start_)).c_str());
        std::fflush(out_);
        return;
    }
    int tenth = total_ > 0 ? static_cast<int>(10LL * done / total_) : 10;
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    std::fprintf(out_, "%s\n", Text(done, total_, SecondsSince(start_)).c_str());
}

void ProgressLine::Finish(int done) {
    if (!inPlace_) {
        if (lastTenth_ < 10) std::fprintf(out_, "%s\n", Text(done, total_, SecondsSince(start_)).c_str());
        return;
    }
    std::fprintf(out_, "\r%s\033[K\n", Text(done, total_, SecondsSince(start_)).c_str());
    std::fflush(out_);
}

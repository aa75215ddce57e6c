// The capture's progress line on standard error: frames done, capture speed
// and the time left. On a terminal it is redrawn in place; elsewhere (a log,
// CI) a line is written every tenth of the way.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class ProgressLine {
public:
    ProgressLine(std::FILE* out, int total, bool in_place);
    void Update(int done);
    // Ends the line (on a terminal) with the final count.
    void Finish(int done);

    // The text for `done` of `total` frames after `seconds` of wall time.
    static std::string Text(int done, int total, double seconds);

private:
    std::FILE* out;
    int total;
    bool in_place;
    int last_tenth = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_draw = start;
};

// A GL table that records every call instead of drawing, for tests that must
// see the exact calls of a batch, a state change or a texture upload.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "graphics/gl_functions.h"

struct GlCall {
    std::string name;         // the GL function without its "gl" prefix
    std::vector<double> args; // the numeric arguments, in order
    const void* pointer;      // the pointer argument, or null
};

struct GlRecorder {
    std::vector<GlCall> calls;
    // Answers of GetError, in order; GL_NO_ERROR once they run out.
    std::deque<GLenum> errors;
    GLuint next_texture = 1;

    void Reset();
    int Count(const std::string& name) const;
    std::vector<GlCall> Named(const std::string& name) const;
    // The names of all calls, in order, joined by single spaces.
    std::string Names() const;
};

GlRecorder& TheGlRecorder();
// The recording table. ReadPixels fills pixel i of its buffer (in GL's
// bottom-up order) with the 32-bit word i.
GlFunctions RecordingGl();

// The recording GL table used by the tests.
#include "graphics/gl_recorder.h"

#include <cstdint>
#include <initializer_list>

GlRecorder& TheGlRecorder() {
    static GlRecorder recorder;
    return recorder;
}

void GlRecorder::Reset() {
    calls.clear();
    errors.clear();
    next_texture = 1;
}

int GlRecorder::Count(const std::string& name) const {
    int n = 0;
    for (const GlCall& c : calls) n += c.name == name;
    return n;
}

std::vector<GlCall> GlRecorder::Named(const std::string& name) const {
    std::vector<GlCall> out;
    for (const GlCall& c : calls)
        if (c.name == name) out.push_back(c);
    return out;
}

std::string GlRecorder::Names() const {
    std::string out;
    for (const GlCall& c : calls) {
        if (!out.empty()) out += ' ';
        out += c.name;
    }
    return out;
}

namespace {

void Record(const char* name, std::initializer_list<double> args, const void* pointer = nullptr) {
    TheGlRecorder().calls.push_back(GlCall{name, args, pointer});
}

void RecViewport(GLint x, GLint y, GLsizei w, GLsizei h) { Record("Viewport", {double(x), double(y), double(w), double(h)}); }
void RecMatrixMode(GLenum m) { Record("MatrixMode", {double(m)}); }
void RecLoadIdentity() { Record("LoadIdentity", {}); }
void RecOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { Record("Ortho", {l, r, b, t, n, f}); }
void RecEnableClientState(GLenum a) { Record("EnableClientState", {double(a)}); }
void RecVertexPointer(GLint s, GLenum t, GLsizei st, const void* p) { Record("VertexPointer", {double(s), double(t), double(st)}, p); }
void RecTexCoordPointer(GLint s, GLenum t, GLsizei st, const void* p) { Record("TexCoordPointer", {double(s), double(t), double(st)}, p); }
void RecColorPointer(GLint s, GLenum t, GLsizei st, const void* p) { Record("ColorPointer", {double(s), double(t), double(st)}, p); }
void RecEnable(GLenum c) { Record("Enable", {double(c)}); }
void RecDisable(GLenum c) { Record("Disable", {double(c)}); }
void RecBlendFunc(GLenum s, GLenum d) { Record("BlendFunc", {double(s), double(d)}); }
void RecClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { Record("ClearColor", {r, g, b, a}); }
void RecClear(GLbitfield m) { Record("Clear", {double(m)}); }
void RecScissor(GLint x, GLint y, GLsizei w, GLsizei h) { Record("Scissor", {double(x), double(y), double(w), double(h)}); }
void RecDrawArrays(GLenum m, GLint f, GLsizei c) { Record("DrawArrays", {double(m), double(f), double(c)}); }
void RecDrawElements(GLenum m, GLsizei c, GLenum t, const void* p) { Record("DrawElements", {double(m), double(c), double(t)}, p); }
void RecBindTexture(GLenum t, GLuint n) { Record("BindTexture", {double(t), double(n)}); }
void RecGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = TheGlRecorder().next_texture++;
    Record("GenTextures", {double(n), n > 0 ? double(names[0]) : 0.0});
}
void RecDeleteTextures(GLsizei n, const GLuint* names) { Record("DeleteTextures", {double(n), n > 0 ? double(names[0]) : 0.0}); }
void RecTexParameteri(GLenum t, GLenum p, GLint v) { Record("TexParameteri", {double(t), double(p), double(v)}); }
void RecTexImage(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const void* p) {
    Record("TexImage2D", {double(t), double(l), double(i), double(w), double(h), double(b), double(f), double(ty)}, p);
}
void RecTexSubImage(GLenum t, GLint l, GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum ty, const void* p) {
    Record("TexSubImage2D", {double(t), double(l), double(x), double(y), double(w), double(h), double(f), double(ty)}, p);
}
void RecPixelStorei(GLenum p, GLint v) { Record("PixelStorei", {double(p), double(v)}); }
GLenum RecGetError() {
    GlRecorder& r = TheGlRecorder();
    GLenum e = GL_NO_ERROR;
    if (!r.errors.empty()) {
        e = r.errors.front();
        r.errors.pop_front();
    }
    Record("GetError", {double(e)});
    return e;
}
void RecReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum t, void* p) {
    uint32_t* words = static_cast<uint32_t*>(p);
    for (GLsizei i = 0; i < w * h; ++i) words[i] = static_cast<uint32_t>(i);
    Record("ReadPixels", {double(x), double(y), double(w), double(h), double(f), double(t)}, p);
}
void RecCopyTexSubImage(GLenum t, GLint l, GLint xo, GLint yo, GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("CopyTexSubImage2D", {double(t), double(l), double(xo), double(yo), double(x), double(y), double(w), double(h)});
}

}  // namespace

GlFunctions RecordingGl() {
    GlFunctions t;
    t.Viewport = RecViewport;
    t.MatrixMode = RecMatrixMode;
    t.LoadIdentity = RecLoadIdentity;
    t.Ortho = RecOrtho;
    t.EnableClientState = RecEnableClientState;
    t.VertexPointer = RecVertexPointer;
    t.TexCoordPointer = RecTexCoordPointer;
    t.ColorPointer = RecColorPointer;
    t.Enable = RecEnable;
    t.Disable = RecDisable;
    t.BlendFunc = RecBlendFunc;
    t.ClearColor = RecClearColor;
    t.Clear = RecClear;
    t.Scissor = RecScissor;
    t.DrawArrays = RecDrawArrays;
    t.DrawElements = RecDrawElements;
    t.BindTexture = RecBindTexture;
    t.GenTextures = RecGenTextures;
    t.DeleteTextures = RecDeleteTextures;
    t.TexParameteri = RecTexParameteri;
    t.TexImage2D = RecTexImage;
    t.TexSubImage2D = RecTexSubImage;
    t.PixelStorei = RecPixelStorei;
    t.GetError = RecGetError;
    t.ReadPixels = RecReadPixels;
    t.CopyTexSubImage2D = RecCopyTexSubImage;
    return t;
}

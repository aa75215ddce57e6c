// The recording GL table used by the tests.
#include "graphics/gl_recorder.h"

#include <cstdint>
#include <initializer_list>

GlRecorder& gl_recorder() {
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

void record(const char* name, std::initializer_list<double> args, const void* pointer = nullptr) {
    gl_recorder().calls.push_back(GlCall{name, args, pointer});
}

void rec_viewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("Viewport", {double(x), double(y), double(w), double(h)}); }
void rec_matrix_mode(GLenum m) { record("MatrixMode", {double(m)}); }
void rec_load_identity() { record("LoadIdentity", {}); }
void rec_ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { record("Ortho", {l, r, b, t, n, f}); }
void rec_enable_client_state(GLenum a) { record("EnableClientState", {double(a)}); }
void rec_vertex_pointer(GLint s, GLenum t, GLsizei st, const void* p) { record("VertexPointer", {double(s), double(t), double(st)}, p); }
void rec_tex_coord_pointer(GLint s, GLenum t, GLsizei st, const void* p) { record("TexCoordPointer", {double(s), double(t), double(st)}, p); }
void rec_color_pointer(GLint s, GLenum t, GLsizei st, const void* p) { record("ColorPointer", {double(s), double(t), double(st)}, p); }
void rec_enable(GLenum c) { record("Enable", {double(c)}); }
void rec_disable(GLenum c) { record("Disable", {double(c)}); }
void rec_blend_func(GLenum s, GLenum d) { record("BlendFunc", {double(s), double(d)}); }
void rec_clear_color(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { record("ClearColor", {r, g, b, a}); }
void rec_clear(GLbitfield m) { record("Clear", {double(m)}); }
void rec_scissor(GLint x, GLint y, GLsizei w, GLsizei h) { record("Scissor", {double(x), double(y), double(w), double(h)}); }
void rec_draw_arrays(GLenum m, GLint f, GLsizei c) { record("DrawArrays", {double(m), double(f), double(c)}); }
void rec_draw_elements(GLenum m, GLsizei c, GLenum t, const void* p) { record("DrawElements", {double(m), double(c), double(t)}, p); }
void rec_bind_texture(GLenum t, GLuint n) { record("BindTexture", {double(t), double(n)}); }
void rec_gen_textures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = gl_recorder().next_texture++;
    record("GenTextures", {double(n), n > 0 ? double(names[0]) : 0.0});
}
void rec_delete_textures(GLsizei n, const GLuint* names) { record("DeleteTextures", {double(n), n > 0 ? double(names[0]) : 0.0}); }
void rec_tex_parameteri(GLenum t, GLenum p, GLint v) { record("TexParameteri", {double(t), double(p), double(v)}); }
void rec_tex_image(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const void* p) {
    record("TexImage2D", {double(t), double(l), double(i), double(w), double(h), double(b), double(f), double(ty)}, p);
}
void rec_tex_sub_image(GLenum t, GLint l, GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum ty, const void* p) {
    record("TexSubImage2D", {double(t), double(l), double(x), double(y), double(w), double(h), double(f), double(ty)}, p);
}
void rec_pixel_storei(GLenum p, GLint v) { record("PixelStorei", {double(p), double(v)}); }
GLenum rec_get_error() {
    GlRecorder& r = gl_recorder();
    GLenum e = GL_NO_ERROR;
    if (!r.errors.empty()) {
        e = r.errors.front();
        r.errors.pop_front();
    }
    record("GetError", {double(e)});
    return e;
}
void rec_read_pixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum t, void* p) {
    uint32_t* words = static_cast<uint32_t*>(p);
    for (GLsizei i = 0; i < w * h; ++i) words[i] = static_cast<uint32_t>(i);
    record("ReadPixels", {double(x), double(y), double(w), double(h), double(f), double(t)}, p);
}
void rec_copy_tex_sub_image(GLenum t, GLint l, GLint xo, GLint yo, GLint x, GLint y, GLsizei w, GLsizei h) {
    record("CopyTexSubImage2D", {double(t), double(l), double(xo), double(yo), double(x), double(y), double(w), double(h)});
}

}  // namespace

GlFunctions RecordingGl() {
    GlFunctions t;
    t.Viewport = rec_viewport;
    t.MatrixMode = rec_matrix_mode;
    t.LoadIdentity = rec_load_identity;
    t.Ortho = rec_ortho;
    t.EnableClientState = rec_enable_client_state;
    t.VertexPointer = rec_vertex_pointer;
    t.TexCoordPointer = rec_tex_coord_pointer;
    t.ColorPointer = rec_color_pointer;
    t.Enable = rec_enable;
    t.Disable = rec_disable;
    t.BlendFunc = rec_blend_func;
    t.ClearColor = rec_clear_color;
    t.Clear = rec_clear;
    t.Scissor = rec_scissor;
    t.DrawArrays = rec_draw_arrays;
    t.DrawElements = rec_draw_elements;
    t.BindTexture = rec_bind_texture;
    t.GenTextures = rec_gen_textures;
    t.DeleteTextures = rec_delete_textures;
    t.TexParameteri = rec_tex_parameteri;
    t.TexImage2D = rec_tex_image;
    t.TexSubImage2D = rec_tex_sub_image;
    t.PixelStorei = rec_pixel_storei;
    t.GetError = rec_get_error;
    t.ReadPixels = rec_read_pixels;
    t.CopyTexSubImage2D = rec_copy_tex_sub_image;
    return t;
}

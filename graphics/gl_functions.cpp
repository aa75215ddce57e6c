// The system's GL table and the do-nothing table.
#include "graphics/gl_functions.h"

GlFunctions SystemGl() {
    GlFunctions t;
    t.Viewport = glViewport;
    t.MatrixMode = glMatrixMode;
    t.LoadIdentity = glLoadIdentity;
    t.Ortho = glOrtho;
    t.EnableClientState = glEnableClientState;
    t.VertexPointer = glVertexPointer;
    t.TexCoordPointer = glTexCoordPointer;
    t.ColorPointer = glColorPointer;
    t.Enable = glEnable;
    t.Disable = glDisable;
    t.BlendFunc = glBlendFunc;
    t.ClearColor = glClearColor;
    t.Clear = glClear;
    t.Scissor = glScissor;
    t.DrawArrays = glDrawArrays;
    t.DrawElements = glDrawElements;
    t.BindTexture = glBindTexture;
    t.GenTextures = glGenTextures;
    t.DeleteTextures = glDeleteTextures;
    t.TexParameteri = glTexParameteri;
    t.TexImage2D = glTexImage2D;
    t.TexSubImage2D = glTexSubImage2D;
    t.PixelStorei = glPixelStorei;
    t.GetError = glGetError;
    t.ReadPixels = glReadPixels;
    t.CopyTexSubImage2D = glCopyTexSubImage2D;
    return t;
}

GlFunctions gl = SystemGl();

namespace {

GLuint null_texture_names = 0;

void null_4i(GLint, GLint, GLsizei, GLsizei) {}
void null_enum(GLenum) {}
void null_void() {}
void null_ortho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void null_pointer(GLint, GLenum, GLsizei, const void*) {}
void null_2enum(GLenum, GLenum) {}
void null_4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void null_bits(GLbitfield) {}
void null_draw_arrays(GLenum, GLint, GLsizei) {}
void null_draw_elements(GLenum, GLsizei, GLenum, const void*) {}
void null_bind(GLenum, GLuint) {}
void null_gen(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = ++null_texture_names;
}
void null_delete(GLsizei, const GLuint*) {}
void null_tex_parameter(GLenum, GLenum, GLint) {}
void null_tex_image(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
void null_tex_sub_image(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) {}
void null_pixel_store(GLenum, GLint) {}
GLenum null_get_error() { return GL_NO_ERROR; }
void null_read_pixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {}
void null_copy_tex_sub_image(GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei) {}

}  // namespace

GlFunctions NullGl() {
    GlFunctions t;
    t.Viewport = null_4i;
    t.MatrixMode = null_enum;
    t.LoadIdentity = null_void;
    t.Ortho = null_ortho;
    t.EnableClientState = null_enum;
    t.VertexPointer = null_pointer;
    t.TexCoordPointer = null_pointer;
    t.ColorPointer = null_pointer;
    t.Enable = null_enum;
    t.Disable = null_enum;
    t.BlendFunc = null_2enum;
    t.ClearColor = null_4f;
    t.Clear = null_bits;
    t.Scissor = null_4i;
    t.DrawArrays = null_draw_arrays;
    t.DrawElements = null_draw_elements;
    t.BindTexture = null_bind;
    t.GenTextures = null_gen;
    t.DeleteTextures = null_delete;
    t.TexParameteri = null_tex_parameter;
    t.TexImage2D = null_tex_image;
    t.TexSubImage2D = null_tex_sub_image;
    t.PixelStorei = null_pixel_store;
    t.GetError = null_get_error;
    t.ReadPixels = null_read_pixels;
    t.CopyTexSubImage2D = null_copy_tex_sub_image;
    return t;
}

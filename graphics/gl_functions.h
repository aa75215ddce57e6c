// The thin table of OpenGL functions the renderer and the surfaces call.
//
// Every GL call of the graphics layer goes through `gl`. In the program it
// holds the system's GL (libGL); tests put a recording table there to see the
// exact calls, benchmarks a do-nothing table to time the framework without a
// driver. Only the flush, state changes and texture work call through it; the
// batch writes never do.
#pragma once

#include <GL/gl.h>

// Windows' own GL header stops at OpenGL 1.1; every driver there takes
// these two 1.2 values all the same.
#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

struct GlFunctions {
    void (*Viewport)(GLint x, GLint y, GLsizei w, GLsizei h);
    void (*MatrixMode)(GLenum mode);
    void (*LoadIdentity)();
    void (*Ortho)(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
    void (*EnableClientState)(GLenum array);
    void (*VertexPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void (*ColorPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    void (*BlendFunc)(GLenum sfactor, GLenum dfactor);
    void (*ClearColor)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void (*Clear)(GLbitfield mask);
    void (*Scissor)(GLint x, GLint y, GLsizei w, GLsizei h);
    void (*DrawArrays)(GLenum mode, GLint first, GLsizei count);
    void (*DrawElements)(GLenum mode, GLsizei count, GLenum type, const void* indices);
    void (*BindTexture)(GLenum target, GLuint texture);
    void (*GenTextures)(GLsizei n, GLuint* textures);
    void (*DeleteTextures)(GLsizei n, const GLuint* textures);
    void (*TexParameteri)(GLenum target, GLenum pname, GLint param);
    void (*TexImage2D)(GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h,
                       GLint border, GLenum format, GLenum type, const void* pixels);
    void (*TexSubImage2D)(GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h,
                          GLenum format, GLenum type, const void* pixels);
    void (*PixelStorei)(GLenum pname, GLint param);
    GLenum (*GetError)();
    void (*ReadPixels)(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels);
    void (*CopyTexSubImage2D)(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                              GLsizei w, GLsizei h);
};

// The table in use; starts as the system's GL.
extern GlFunctions gl;

// The system's GL functions.
GlFunctions SystemGl();
// A table whose functions do nothing (GetError reports no error, GenTextures
// hands out increasing names), for timing the framework without a driver.
GlFunctions NullGl();

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

void Null4i(GLint, GLint, GLsizei, GLsizei) {}
void NullEnum(GLenum) {}
void NullVoid() {}
void NullOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void NullPointer(GLint, GLenum, GLsizei, const void*) {}
void Null2enum(GLenum, GLenum) {}
void Null4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void NullBits(GLbitfield) {}
void NullDrawArrays(GLenum, GLint, GLsizei) {}
void NullDrawElements(GLenum, GLsizei, GLenum, const void*) {}
void NullBind(GLenum, GLuint) {}
void NullGen(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = ++null_texture_names;
}
void NullDelete(GLsizei, const GLuint*) {}
void NullTexParameter(GLenum, GLenum, GLint) {}
void NullTexImage(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
void NullTexSubImage(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) {}
void NullPixelStore(GLenum, GLint) {}
GLenum NullGetError() { return GL_NO_ERROR; }
void NullReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {}
void NullCopyTexSubImage(GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei) {}

}  // namespace

GlFunctions NullGl() {
    GlFunctions t;
    t.Viewport = Null4i;
    t.MatrixMode = NullEnum;
    t.LoadIdentity = NullVoid;
    t.Ortho = NullOrtho;
    t.EnableClientState = NullEnum;
    t.VertexPointer = NullPointer;
    t.TexCoordPointer = NullPointer;
    t.ColorPointer = NullPointer;
    t.Enable = NullEnum;
    t.Disable = NullEnum;
    t.BlendFunc = Null2enum;
    t.ClearColor = Null4f;
    t.Clear = NullBits;
    t.Scissor = Null4i;
    t.DrawArrays = NullDrawArrays;
    t.DrawElements = NullDrawElements;
    t.BindTexture = NullBind;
    t.GenTextures = NullGen;
    t.DeleteTextures = NullDelete;
    t.TexParameteri = NullTexParameter;
    t.TexImage2D = NullTexImage;
    t.TexSubImage2D = NullTexSubImage;
    t.PixelStorei = NullPixelStore;
    t.GetError = NullGetError;
    t.ReadPixels = NullReadPixels;
    t.CopyTexSubImage2D = NullCopyTexSubImage;
    return t;
}

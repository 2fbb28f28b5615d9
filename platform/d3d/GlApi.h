#pragma once
// The OpenGL functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_GL_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/dynlib/DynLib.h"

#define VAREK_GL_FUNCTIONS(X)                                                                                \
    X(glActiveTexture)                                                                                       \
    X(glAlphaFunc)                                                                                           \
    X(glBegin)                                                                                               \
    X(glBindFramebuffer)                                                                                     \
    X(glBindRenderbuffer)                                                                                    \
    X(glBindTexture)                                                                                         \
    X(glBlendFunc)                                                                                           \
    X(glBlitFramebuffer)                                                                                     \
    X(glCheckFramebufferStatus)                                                                              \
    X(glClear)                                                                                               \
    X(glClearColor)                                                                                          \
    X(glClearDepth)                                                                                          \
    X(glClientActiveTexture)                                                                                 \
    X(glColor4f)                                                                                             \
    X(glColorMask)                                                                                           \
    X(glColorMaterial)                                                                                       \
    X(glColorPointer)                                                                                        \
    X(glCullFace)                                                                                            \
    X(glDeleteFramebuffers)                                                                                  \
    X(glDeleteRenderbuffers)                                                                                 \
    X(glDeleteTextures)                                                                                      \
    X(glDepthFunc)                                                                                           \
    X(glDepthMask)                                                                                           \
    X(glDepthRange)                                                                                          \
    X(glDisable)                                                                                             \
    X(glDisableClientState)                                                                                  \
    X(glDrawArrays)                                                                                          \
    X(glDrawElements)                                                                                        \
    X(glEnable)                                                                                              \
    X(glEnableClientState)                                                                                   \
    X(glEnd)                                                                                                 \
    X(glFlush)                                                                                               \
    X(glFogf)                                                                                                \
    X(glFogfv)                                                                                               \
    X(glFogi)                                                                                                \
    X(glFramebufferRenderbuffer)                                                                             \
    X(glFramebufferTexture2D)                                                                                \
    X(glFrontFace)                                                                                           \
    X(glGenFramebuffers)                                                                                     \
    X(glGenRenderbuffers)                                                                                    \
    X(glGenTextures)                                                                                         \
    X(glGetIntegerv)                                                                                         \
    X(glHint)                                                                                                \
    X(glLightModelfv)                                                                                        \
    X(glLightModeli)                                                                                         \
    X(glLightf)                                                                                              \
    X(glLightfv)                                                                                             \
    X(glLoadIdentity)                                                                                        \
    X(glLoadMatrixf)                                                                                         \
    X(glMaterialf)                                                                                           \
    X(glMaterialfv)                                                                                          \
    X(glMatrixMode)                                                                                          \
    X(glMultMatrixf)                                                                                         \
    X(glMultiTexCoord2f)                                                                                     \
    X(glNormal3f)                                                                                            \
    X(glNormalPointer)                                                                                       \
    X(glOrtho)                                                                                               \
    X(glPixelStorei)                                                                                         \
    X(glPolygonMode)                                                                                         \
    X(glPolygonOffset)                                                                                       \
    X(glPopAttrib)                                                                                           \
    X(glPopClientAttrib)                                                                                     \
    X(glPopMatrix)                                                                                           \
    X(glPushAttrib)                                                                                          \
    X(glPushClientAttrib)                                                                                    \
    X(glPushMatrix)                                                                                          \
    X(glReadPixels)                                                                                          \
    X(glRenderbufferStorage)                                                                                 \
    X(glScissor)                                                                                             \
    X(glShadeModel)                                                                                          \
    X(glTexCoord2f)                                                                                          \
    X(glTexCoordPointer)                                                                                     \
    X(glTexEnvf)                                                                                             \
    X(glTexEnvfv)                                                                                            \
    X(glTexEnvi)                                                                                             \
    X(glTexImage2D)                                                                                          \
    X(glTexParameteri)                                                                                       \
    X(glTexSubImage2D)                                                                                       \
    X(glUseProgram)                                                                                          \
    X(glVertex2f)                                                                                            \
    X(glVertexPointer)                                                                                       \
    X(glViewport)

VAREK_DYN_TABLE(GlApi, VAREK_GL_FUNCTIONS)

#ifndef VAREK_GL_OWN_NAMES
#define glActiveTexture (GlApi::Get().glActiveTexture)
#define glAlphaFunc (GlApi::Get().glAlphaFunc)
#define glBegin (GlApi::Get().glBegin)
#define glBindFramebuffer (GlApi::Get().glBindFramebuffer)
#define glBindRenderbuffer (GlApi::Get().glBindRenderbuffer)
#define glBindTexture (GlApi::Get().glBindTexture)
#define glBlendFunc (GlApi::Get().glBlendFunc)
#define glBlitFramebuffer (GlApi::Get().glBlitFramebuffer)
#define glCheckFramebufferStatus (GlApi::Get().glCheckFramebufferStatus)
#define glClear (GlApi::Get().glClear)
#define glClearColor (GlApi::Get().glClearColor)
#define glClearDepth (GlApi::Get().glClearDepth)
#define glClientActiveTexture (GlApi::Get().glClientActiveTexture)
#define glColor4f (GlApi::Get().glColor4f)
#define glColorMask (GlApi::Get().glColorMask)
#define glColorMaterial (GlApi::Get().glColorMaterial)
#define glColorPointer (GlApi::Get().glColorPointer)
#define glCullFace (GlApi::Get().glCullFace)
#define glDeleteFramebuffers (GlApi::Get().glDeleteFramebuffers)
#define glDeleteRenderbuffers (GlApi::Get().glDeleteRenderbuffers)
#define glDeleteTextures (GlApi::Get().glDeleteTextures)
#define glDepthFunc (GlApi::Get().glDepthFunc)
#define glDepthMask (GlApi::Get().glDepthMask)
#define glDepthRange (GlApi::Get().glDepthRange)
#define glDisable (GlApi::Get().glDisable)
#define glDisableClientState (GlApi::Get().glDisableClientState)
#define glDrawArrays (GlApi::Get().glDrawArrays)
#define glDrawElements (GlApi::Get().glDrawElements)
#define glEnable (GlApi::Get().glEnable)
#define glEnableClientState (GlApi::Get().glEnableClientState)
#define glEnd (GlApi::Get().glEnd)
#define glFlush (GlApi::Get().glFlush)
#define glFogf (GlApi::Get().glFogf)
#define glFogfv (GlApi::Get().glFogfv)
#define glFogi (GlApi::Get().glFogi)
#define glFramebufferRenderbuffer (GlApi::Get().glFramebufferRenderbuffer)
#define glFramebufferTexture2D (GlApi::Get().glFramebufferTexture2D)
#define glFrontFace (GlApi::Get().glFrontFace)
#define glGenFramebuffers (GlApi::Get().glGenFramebuffers)
#define glGenRenderbuffers (GlApi::Get().glGenRenderbuffers)
#define glGenTextures (GlApi::Get().glGenTextures)
#define glGetIntegerv (GlApi::Get().glGetIntegerv)
#define glHint (GlApi::Get().glHint)
#define glLightModelfv (GlApi::Get().glLightModelfv)
#define glLightModeli (GlApi::Get().glLightModeli)
#define glLightf (GlApi::Get().glLightf)
#define glLightfv (GlApi::Get().glLightfv)
#define glLoadIdentity (GlApi::Get().glLoadIdentity)
#define glLoadMatrixf (GlApi::Get().glLoadMatrixf)
#define glMaterialf (GlApi::Get().glMaterialf)
#define glMaterialfv (GlApi::Get().glMaterialfv)
#define glMatrixMode (GlApi::Get().glMatrixMode)
#define glMultMatrixf (GlApi::Get().glMultMatrixf)
#define glMultiTexCoord2f (GlApi::Get().glMultiTexCoord2f)
#define glNormal3f (GlApi::Get().glNormal3f)
#define glNormalPointer (GlApi::Get().glNormalPointer)
#define glOrtho (GlApi::Get().glOrtho)
#define glPixelStorei (GlApi::Get().glPixelStorei)
#define glPolygonMode (GlApi::Get().glPolygonMode)
#define glPolygonOffset (GlApi::Get().glPolygonOffset)
#define glPopAttrib (GlApi::Get().glPopAttrib)
#define glPopClientAttrib (GlApi::Get().glPopClientAttrib)
#define glPopMatrix (GlApi::Get().glPopMatrix)
#define glPushAttrib (GlApi::Get().glPushAttrib)
#define glPushClientAttrib (GlApi::Get().glPushClientAttrib)
#define glPushMatrix (GlApi::Get().glPushMatrix)
#define glReadPixels (GlApi::Get().glReadPixels)
#define glRenderbufferStorage (GlApi::Get().glRenderbufferStorage)
#define glScissor (GlApi::Get().glScissor)
#define glShadeModel (GlApi::Get().glShadeModel)
#define glTexCoord2f (GlApi::Get().glTexCoord2f)
#define glTexCoordPointer (GlApi::Get().glTexCoordPointer)
#define glTexEnvf (GlApi::Get().glTexEnvf)
#define glTexEnvfv (GlApi::Get().glTexEnvfv)
#define glTexEnvi (GlApi::Get().glTexEnvi)
#define glTexImage2D (GlApi::Get().glTexImage2D)
#define glTexParameteri (GlApi::Get().glTexParameteri)
#define glTexSubImage2D (GlApi::Get().glTexSubImage2D)
#define glUseProgram (GlApi::Get().glUseProgram)
#define glVertex2f (GlApi::Get().glVertex2f)
#define glVertexPointer (GlApi::Get().glVertexPointer)
#define glViewport (GlApi::Get().glViewport)
#endif

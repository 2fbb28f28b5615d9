#define VAREK_GL_OWN_NAMES
#include "platform/d3d/GlApi.h"

// The dispatching GL library: it serves the context SDL made, GLX or EGL alike.
VAREK_DYN_LOAD(GlApi, VAREK_GL_FUNCTIONS, "OpenGL", platform::OpenLibraryOrExit("OpenGL", {"libGL.so.1"}))

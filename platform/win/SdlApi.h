#pragma once
// The SDL2 functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_SDL_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

#include <SDL.h>

#include "platform/dynlib/DynLib.h"

#define VAREK_SDL_FUNCTIONS(X)                                                                               \
    X(SDL_CaptureMouse)                                                                                      \
    X(SDL_CreateSystemCursor)                                                                                \
    X(SDL_CreateWindow)                                                                                      \
    X(SDL_DestroyWindow)                                                                                     \
    X(SDL_DisableScreenSaver)                                                                                \
    X(SDL_EnableScreenSaver)                                                                                 \
    X(SDL_EventState)                                                                                        \
    X(SDL_GL_CreateContext)                                                                                  \
    X(SDL_GL_DeleteContext)                                                                                  \
    X(SDL_GL_GetDrawableSize)                                                                                \
    X(SDL_GL_MakeCurrent)                                                                                    \
    X(SDL_GL_SetAttribute)                                                                                   \
    X(SDL_GL_SetSwapInterval)                                                                                \
    X(SDL_GL_SwapWindow)                                                                                     \
    X(SDL_GetClosestDisplayMode)                                                                             \
    X(SDL_GetCurrentVideoDriver)                                                                             \
    X(SDL_GetDefaultCursor)                                                                                  \
    X(SDL_GetDesktopDisplayMode)                                                                             \
    X(SDL_GetDisplayMode)                                                                                    \
    X(SDL_GetError)                                                                                          \
    X(SDL_GetGlobalMouseState)                                                                               \
    X(SDL_GetKeyboardFocus)                                                                                  \
    X(SDL_GetNumDisplayModes)                                                                                \
    X(SDL_GetWindowDisplayIndex)                                                                             \
    X(SDL_GetWindowFlags)                                                                                    \
    X(SDL_GetWindowID)                                                                                       \
    X(SDL_GetWindowPosition)                                                                                 \
    X(SDL_GetWindowSize)                                                                                     \
    X(SDL_HasEvents)                                                                                         \
    X(SDL_HideWindow)                                                                                        \
    X(SDL_Init)                                                                                              \
    X(SDL_InitSubSystem)                                                                                     \
    X(SDL_MaximizeWindow)                                                                                    \
    X(SDL_MinimizeWindow)                                                                                    \
    X(SDL_PeepEvents)                                                                                        \
    X(SDL_PollEvent)                                                                                         \
    X(SDL_PumpEvents)                                                                                        \
    X(SDL_PushEvent)                                                                                         \
    X(SDL_RegisterEvents)                                                                                    \
    X(SDL_RestoreWindow)                                                                                     \
    X(SDL_SetCursor)                                                                                         \
    X(SDL_SetHint)                                                                                           \
    X(SDL_SetWindowBordered)                                                                                 \
    X(SDL_SetWindowDisplayMode)                                                                              \
    X(SDL_SetWindowFullscreen)                                                                               \
    X(SDL_SetWindowPosition)                                                                                 \
    X(SDL_SetWindowSize)                                                                                     \
    X(SDL_SetWindowTitle)                                                                                    \
    X(SDL_ShowCursor)                                                                                        \
    X(SDL_ShowMessageBox)                                                                                    \
    X(SDL_ShowWindow)                                                                                        \
    X(SDL_WaitEvent)                                                                                         \
    X(SDL_WaitEventTimeout)                                                                                  \
    X(SDL_WarpMouseGlobal)                                                                                   \
    X(SDL_WasInit)                                                                                           \
    X(SDL_free)                                                                                              \
    X(SDL_strdup)                                                                                            \
    X(SDL_strlcpy)

VAREK_DYN_TABLE(SdlApi, VAREK_SDL_FUNCTIONS)

#ifndef VAREK_SDL_OWN_NAMES
#define SDL_CaptureMouse (SdlApi::Get().SDL_CaptureMouse)
#define SDL_CreateSystemCursor (SdlApi::Get().SDL_CreateSystemCursor)
#define SDL_CreateWindow (SdlApi::Get().SDL_CreateWindow)
#define SDL_DestroyWindow (SdlApi::Get().SDL_DestroyWindow)
#define SDL_DisableScreenSaver (SdlApi::Get().SDL_DisableScreenSaver)
#define SDL_EnableScreenSaver (SdlApi::Get().SDL_EnableScreenSaver)
#define SDL_EventState (SdlApi::Get().SDL_EventState)
#define SDL_GL_CreateContext (SdlApi::Get().SDL_GL_CreateContext)
#define SDL_GL_DeleteContext (SdlApi::Get().SDL_GL_DeleteContext)
#define SDL_GL_GetDrawableSize (SdlApi::Get().SDL_GL_GetDrawableSize)
#define SDL_GL_MakeCurrent (SdlApi::Get().SDL_GL_MakeCurrent)
#define SDL_GL_SetAttribute (SdlApi::Get().SDL_GL_SetAttribute)
#define SDL_GL_SetSwapInterval (SdlApi::Get().SDL_GL_SetSwapInterval)
#define SDL_GL_SwapWindow (SdlApi::Get().SDL_GL_SwapWindow)
#define SDL_GetClosestDisplayMode (SdlApi::Get().SDL_GetClosestDisplayMode)
#define SDL_GetCurrentVideoDriver (SdlApi::Get().SDL_GetCurrentVideoDriver)
#define SDL_GetDefaultCursor (SdlApi::Get().SDL_GetDefaultCursor)
#define SDL_GetDesktopDisplayMode (SdlApi::Get().SDL_GetDesktopDisplayMode)
#define SDL_GetDisplayMode (SdlApi::Get().SDL_GetDisplayMode)
#define SDL_GetError (SdlApi::Get().SDL_GetError)
#define SDL_GetGlobalMouseState (SdlApi::Get().SDL_GetGlobalMouseState)
#define SDL_GetKeyboardFocus (SdlApi::Get().SDL_GetKeyboardFocus)
#define SDL_GetNumDisplayModes (SdlApi::Get().SDL_GetNumDisplayModes)
#define SDL_GetWindowDisplayIndex (SdlApi::Get().SDL_GetWindowDisplayIndex)
#define SDL_GetWindowFlags (SdlApi::Get().SDL_GetWindowFlags)
#define SDL_GetWindowID (SdlApi::Get().SDL_GetWindowID)
#define SDL_GetWindowPosition (SdlApi::Get().SDL_GetWindowPosition)
#define SDL_GetWindowSize (SdlApi::Get().SDL_GetWindowSize)
#define SDL_HasEvents (SdlApi::Get().SDL_HasEvents)
#define SDL_HideWindow (SdlApi::Get().SDL_HideWindow)
#define SDL_Init (SdlApi::Get().SDL_Init)
#define SDL_InitSubSystem (SdlApi::Get().SDL_InitSubSystem)
#define SDL_MaximizeWindow (SdlApi::Get().SDL_MaximizeWindow)
#define SDL_MinimizeWindow (SdlApi::Get().SDL_MinimizeWindow)
#define SDL_PeepEvents (SdlApi::Get().SDL_PeepEvents)
#define SDL_PollEvent (SdlApi::Get().SDL_PollEvent)
#define SDL_PumpEvents (SdlApi::Get().SDL_PumpEvents)
#define SDL_PushEvent (SdlApi::Get().SDL_PushEvent)
#define SDL_RegisterEvents (SdlApi::Get().SDL_RegisterEvents)
#define SDL_RestoreWindow (SdlApi::Get().SDL_RestoreWindow)
#define SDL_SetCursor (SdlApi::Get().SDL_SetCursor)
#define SDL_SetHint (SdlApi::Get().SDL_SetHint)
#define SDL_SetWindowBordered (SdlApi::Get().SDL_SetWindowBordered)
#define SDL_SetWindowDisplayMode (SdlApi::Get().SDL_SetWindowDisplayMode)
#define SDL_SetWindowFullscreen (SdlApi::Get().SDL_SetWindowFullscreen)
#define SDL_SetWindowPosition (SdlApi::Get().SDL_SetWindowPosition)
#define SDL_SetWindowSize (SdlApi::Get().SDL_SetWindowSize)
#define SDL_SetWindowTitle (SdlApi::Get().SDL_SetWindowTitle)
#define SDL_ShowCursor (SdlApi::Get().SDL_ShowCursor)
#define SDL_ShowMessageBox (SdlApi::Get().SDL_ShowMessageBox)
#define SDL_ShowWindow (SdlApi::Get().SDL_ShowWindow)
#define SDL_WaitEvent (SdlApi::Get().SDL_WaitEvent)
#define SDL_WaitEventTimeout (SdlApi::Get().SDL_WaitEventTimeout)
#define SDL_WarpMouseGlobal (SdlApi::Get().SDL_WarpMouseGlobal)
#define SDL_WasInit (SdlApi::Get().SDL_WasInit)
#define SDL_free (SdlApi::Get().SDL_free)
#define SDL_strdup (SdlApi::Get().SDL_strdup)
#define SDL_strlcpy (SdlApi::Get().SDL_strlcpy)
#endif

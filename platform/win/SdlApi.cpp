#define VAREK_SDL_OWN_NAMES
#include "platform/win/SdlApi.h"

VAREK_DYN_LOAD(SdlApi, VAREK_SDL_FUNCTIONS, "SDL2", platform::OpenLibraryOrExit("SDL2", {"libSDL2-2.0.so.0"}))

#define VAREK_FT_OWN_NAMES
#include "platform/gdi/FreeTypeApi.h"

VAREK_DYN_LOAD(FreeTypeApi, VAREK_FT_FUNCTIONS, "FreeType",
               platform::OpenLibraryOrExit("FreeType", {"libfreetype.so.6"}))

#define VAREK_TIFF_OWN_NAMES
#include "LIBS/Image/TiffApi.h"

VAREK_DYN_LOAD(TiffApi, VAREK_TIFF_FUNCTIONS, "TIFF",
               platform::OpenLibraryOrExit("TIFF", {"libtiff.so.6", "libtiff.so.5"}))

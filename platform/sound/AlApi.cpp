#define VAREK_AL_OWN_NAMES
#include "platform/sound/AlApi.h"

VAREK_DYN_LOAD(AlApi, VAREK_AL_FUNCTIONS, "OpenAL", platform::OpenLibraryOrExit("OpenAL", {"libopenal.so.1"}))

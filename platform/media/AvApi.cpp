#define VAREK_AV_OWN_NAMES
#include "platform/media/AvApi.h"

#define VAREK_AV_FILE(lib, major) "lib" #lib ".so." AV_STRINGIFY(major)

// The major versions the headers were built with: another major version has another interface.
VAREK_DYN_LOAD(AvApi, VAREK_AV_FUNCTIONS, "ffmpeg",
               platform::OpenLibraryOrExit("ffmpeg", {VAREK_AV_FILE(avutil, LIBAVUTIL_VERSION_MAJOR)}),
               platform::OpenLibraryOrExit("ffmpeg", {VAREK_AV_FILE(avcodec, LIBAVCODEC_VERSION_MAJOR)}),
               platform::OpenLibraryOrExit("ffmpeg", {VAREK_AV_FILE(avformat, LIBAVFORMAT_VERSION_MAJOR)}),
               platform::OpenLibraryOrExit("ffmpeg", {VAREK_AV_FILE(swscale, LIBSWSCALE_VERSION_MAJOR)}))

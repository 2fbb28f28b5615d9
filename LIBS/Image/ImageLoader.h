#pragma once
// The loader table: for each file type a probe that fills an image header or
// rejects the file, and a loader that reads the pixels. Probes and loaders
// work on the bytes of the file from its start, so none can read outside the
// data it was given.
#include "LIBS/Image/imgImage.h"

#include <cstddef>
#include <cstdint>

class sStream;

enum imgFileType : int
{
    IMG_TYPE_TGA = 1,
    IMG_TYPE_GIF = 2,
    IMG_TYPE_PCX = 3,
    IMG_TYPE_JPEG = 4,
    IMG_TYPE_RIF = 5,
    IMG_TYPE_BMP = 6,
    IMG_TYPE_TIFF = 7,
    IMG_TYPE_IFF = 8,
    IMG_TYPE_PIX = 9,
    IMG_TYPE_RAW = 10,
    IMG_TYPE_AVI = 11,
};

// The file as a probe or loader sees it: its bytes from where it starts, and
// the stream they came from (libtiff reads through the stream).
struct imgSource
{
    sStream* stream = nullptr;
    int start = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Probe results beyond the image header.
constexpr int IMG_PROBE_ACCEPT = 1;
constexpr int IMG_PROBE_REJECT = -10;

class ImageLoader
{
public:
    // Extension first, then probing in the fixed order. 1 success, else 0 (or -2).
    static int loadAny(imgImage& image, sStream& stream, const char* name);
    static int probe(const imgSource& source, int type, imgHeader& header);
    // `palette` receives 256 entries of three bytes r, g, b for palette formats.
    static int load(const imgSource& source, int type, imgImage& image, uint8_t* palette);
    static void swapRedBlue(imgImage& image);
    static void swapRedBlue(uint8_t* palette768);
    // Normalises a bitmap information header for writing; returns its line size.
    static int bmpLineSize(imgHeader& header);
    static int lineSize(int width, int bits);
    // lineSize x height, held at the largest 32-bit value.
    static uint32_t probeSize(int width, int bits, int height);
    // Type of an extension (".bmp" ...), 0 when unknown. `forSave` uses the
    // saver's list.
    static int typeOfName(const char* name, bool forSave);
    // Fewest bytes a file of this header can hold its pixels in; a smaller
    // file is refused before anything is allocated.
    static size_t minimumData(int type, const imgHeader& header);
};

// Per-type probes and loaders of the other sources.
int imgProbeRIF(const imgSource& source, imgHeader& header);
int imgLoadRIF(const imgSource& source, imgImage& image, uint8_t* palette);
int imgProbeTIFF(const imgSource& source, imgHeader& header);
int imgLoadTIFF(const imgSource& source, imgImage& image);
int imgProbeIFF(const imgSource& source, imgHeader& header);
int imgLoadIFF(const imgSource& source, imgImage& image);

// The run-length coder of RIF, RAW and TGA: packets of at most 127 (run) or
// 126 (literal) units of `unit` bytes. Returns the coded size; `out` must
// hold 2 x size + unit bytes.
size_t imgRunLengthCode(const uint8_t* in, size_t size, int unit, uint8_t* out);
// Decodes packets into `out` until it is full or the input ends; returns the
// bytes written.
size_t imgRunLengthDecode(const uint8_t* in, size_t size, int unit, uint8_t* out, size_t outSize);

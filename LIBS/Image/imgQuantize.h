#pragma once
// Pixel conversion through the 32-bit word 0xAARRGGBB (format 2049 read as a
// little-endian word): expanders turn any format into such words, encoders
// turn words into any format, plainly, with ordered dithering or with error
// diffusion.
#include <cstdint>

class imgImage;

enum imgDither : int
{
    DITHER_NONE = 0,
    DITHER_ORDERED = 1,
    DITHER_DIFFUSION = 2,
};

class imgQuantize
{
public:
    // Expands width x height pixels of `format` (stored lines, 1027 with its
    // padding) into words. Walks from the last pixel to the first, so
    // `target` may be the start of the source buffer itself when that buffer
    // holds width x height x 4 bytes. `palette` (256 words 0x00RRGGBB) is used
    // by 258 and 519; without one their colour is black.
    static void expand(uint32_t* target, const uint8_t* source, int width, int height, int format,
                       const uint32_t* palette);

    // Encodes words into `format`, one stored line every `targetPitch` bytes.
    // ditherMode & 3: 0 plain, 1 ordered, 2 (or 3) error diffusion. Palette
    // formats go through imgQuantizePal256. False for an unknown format.
    static bool encode(uint8_t* target, int targetPitch, const uint32_t* source, int width, int height,
                       int format, const uint32_t* palette, int ditherMode);

    // Makes `target` a copy of the 2049 image `source` in `format` with the
    // source's size and origin; the depth buffer is shared. Nothing happens
    // when the source is not a 2049 image. Returns 1 on success, else 0.
    static int convert(imgImage& target, const imgImage& source, int format, const uint32_t* palette,
                       int ditherMode);

    // 0.3 R + 0.59 G + 0.11 B, rounded.
    static int intensity(int r, int g, int b);
    // Channel level of a bits-wide field widened to 8 bits.
    static int level(int value, int bits);
    // Plain encoders of one word.
    static uint32_t encodePixel(uint32_t argb, int format);
};

class imgQuantizePal256
{
public:
    // Maps words onto the palette for formats 258 (one index byte) and 519
    // (alpha << 8 | index). With ditherMode & 3 set the mapping diffuses the
    // error. False when there is no palette or another format is asked.
    static bool map(uint8_t* target, int targetPitch, const uint32_t* source, int width, int height,
                    int format, const uint32_t* palette, int ditherMode);
};

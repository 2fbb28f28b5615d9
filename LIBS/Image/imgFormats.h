#pragma once
// Pixel format and origin codes of the image library. The high byte of a
// format code is its size class (0x100 8 bits, 0x200 16, 0x400 24, 0x800 32).
#include <cstdint>

enum imgFormat : int
{
    FMT_RGB_332 = 257,
    FMT_P_8 = 258,
    FMT_A_8 = 259,
    FMT_I_8 = 260,
    FMT_AI_44 = 261,
    FMT_YIQ_422 = 262,
    FMT_RGB_565 = 513,
    FMT_ARGB_1555 = 514,
    FMT_RGBA_5551 = 515,
    FMT_ARGB_4444 = 516,
    FMT_ARGB_8332 = 517,
    FMT_AYIQ_8422 = 518,
    FMT_AP_88 = 519,
    FMT_AI_88 = 520,
    FMT_RGB_888 = 1025,
    FMT_BGR_888 = 1026,
    // 24-bit BGR with lines padded to 4 bytes, the Windows bitmap line layout.
    FMT_BGR_888_PADDED = 1027,
    FMT_BGRA_8888 = 2049,
    FMT_ARGB_8888 = 2050,
};

// Corner of the first stored pixel: bit 1 first line at the top, bit 2 first
// pixel at the left, bit 0 always set.
enum imgOrigin : int
{
    ORIGIN_BOTTOM_RIGHT = 1,
    ORIGIN_TOP_RIGHT = 3,
    ORIGIN_BOTTOM_LEFT = 5,
    ORIGIN_TOP_LEFT = 7,
};
constexpr int ORIGIN_TOP_BIT = 2;
constexpr int ORIGIN_LEFT_BIT = 4;

// True for the nineteen known codes.
bool imgFormatKnown(int format);
// Bits per pixel of a format (8, 16, 24 or 32); 0 for an unknown code.
int imgFormatBits(int format);
// "FMT_..." name, "FMT_BGR_888 (padded)" for 1027, "unknown" otherwise.
const char* imgFormatName(int format);
// "TOP LEFT" and so on; "unknown" for other codes.
const char* imgOriginName(int origin);
// Bytes of one stored line of a format.
int imgLineBytes(int width, int format);
// Whether the format carries an alpha channel.
bool imgFormatHasAlpha(int format);

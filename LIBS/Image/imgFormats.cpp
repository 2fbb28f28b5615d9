#include "LIBS/Image/imgFormats.h"

bool imgFormatKnown(int format)
{
    return imgFormatBits(format) != 0;
}

int imgFormatBits(int format)
{
    switch (format) {
    case FMT_RGB_332:
    case FMT_P_8:
    case FMT_A_8:
    case FMT_I_8:
    case FMT_AI_44:
    case FMT_YIQ_422:
        return 8;
    case FMT_RGB_565:
    case FMT_ARGB_1555:
    case FMT_RGBA_5551:
    case FMT_ARGB_4444:
    case FMT_ARGB_8332:
    case FMT_AYIQ_8422:
    case FMT_AP_88:
    case FMT_AI_88:
        return 16;
    case FMT_RGB_888:
    case FMT_BGR_888:
    case FMT_BGR_888_PADDED:
        return 24;
    case FMT_BGRA_8888:
    case FMT_ARGB_8888:
        return 32;
    default:
        return 0;
    }
}

const char* imgFormatName(int format)
{
    switch (format) {
    case FMT_RGB_332:
        return "FMT_RGB_332";
    case FMT_P_8:
        return "FMT_P_8";
    case FMT_A_8:
        return "FMT_A_8";
    case FMT_I_8:
        return "FMT_I_8";
    case FMT_AI_44:
        return "FMT_AI_44";
    case FMT_YIQ_422:
        return "FMT_YIQ_422";
    case FMT_RGB_565:
        return "FMT_RGB_565";
    case FMT_ARGB_1555:
        return "FMT_ARGB_1555";
    case FMT_RGBA_5551:
        return "FMT_RGBA_5551";
    case FMT_ARGB_4444:
        return "FMT_ARGB_4444";
    case FMT_ARGB_8332:
        return "FMT_ARGB_8332";
    case FMT_AYIQ_8422:
        return "FMT_AYIQ_8422";
    case FMT_AP_88:
        return "FMT_AP_88";
    case FMT_AI_88:
        return "FMT_AI_88";
    case FMT_RGB_888:
        return "FMT_RGB_888";
    case FMT_BGR_888:
        return "FMT_BGR_888";
    case FMT_BGR_888_PADDED:
        return "FMT_BGR_888 (padded)";
    case FMT_BGRA_8888:
        return "FMT_BGRA_8888";
    case FMT_ARGB_8888:
        return "FMT_ARGB_8888";
    default:
        return "unknown";
    }
}

const char* imgOriginName(int origin)
{
    switch (origin) {
    case ORIGIN_BOTTOM_RIGHT:
        return "BOTTOM RIGHT";
    case ORIGIN_TOP_RIGHT:
        return "TOP RIGHT";
    case ORIGIN_BOTTOM_LEFT:
        return "BOTTOM LEFT";
    case ORIGIN_TOP_LEFT:
        return "TOP LEFT";
    default:
        return "unknown";
    }
}

int imgLineBytes(int width, int format)
{
    if (format == FMT_BGR_888_PADDED)
        return (width * 3 + 3) & ~3;
    return width * (imgFormatBits(format) / 8);
}

bool imgFormatHasAlpha(int format)
{
    switch (format) {
    case FMT_A_8:
    case FMT_AI_44:
    case FMT_ARGB_1555:
    case FMT_RGBA_5551:
    case FMT_ARGB_4444:
    case FMT_ARGB_8332:
    case FMT_AYIQ_8422:
    case FMT_AP_88:
    case FMT_AI_88:
    case FMT_BGRA_8888:
    case FMT_ARGB_8888:
        return true;
    default:
        return false;
    }
}

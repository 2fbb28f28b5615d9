#pragma once
// The TIFF functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_TIFF_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

#include <tiffio.h>

#include "platform/dynlib/DynLib.h"

#define VAREK_TIFF_FUNCTIONS(X)                                                                              \
    X(TIFFClientOpen)                                                                                        \
    X(TIFFClose)                                                                                             \
    X(TIFFDefaultStripSize)                                                                                  \
    X(TIFFFlush)                                                                                             \
    X(TIFFGetField)                                                                                          \
    X(TIFFGetFieldDefaulted)                                                                                 \
    X(TIFFReadRGBAImageOriented)                                                                             \
    X(TIFFScanlineSize)                                                                                      \
    X(TIFFSetErrorHandler)                                                                                   \
    X(TIFFSetField)                                                                                          \
    X(TIFFSetWarningHandler)                                                                                 \
    X(TIFFWriteScanline)

VAREK_DYN_TABLE(TiffApi, VAREK_TIFF_FUNCTIONS)

#ifndef VAREK_TIFF_OWN_NAMES
#define TIFFClientOpen (TiffApi::Get().TIFFClientOpen)
#define TIFFClose (TiffApi::Get().TIFFClose)
#define TIFFDefaultStripSize (TiffApi::Get().TIFFDefaultStripSize)
#define TIFFFlush (TiffApi::Get().TIFFFlush)
#define TIFFGetField (TiffApi::Get().TIFFGetField)
#define TIFFGetFieldDefaulted (TiffApi::Get().TIFFGetFieldDefaulted)
#define TIFFReadRGBAImageOriented (TiffApi::Get().TIFFReadRGBAImageOriented)
#define TIFFScanlineSize (TiffApi::Get().TIFFScanlineSize)
#define TIFFSetErrorHandler (TiffApi::Get().TIFFSetErrorHandler)
#define TIFFSetField (TiffApi::Get().TIFFSetField)
#define TIFFSetWarningHandler (TiffApi::Get().TIFFSetWarningHandler)
#define TIFFWriteScanline (TiffApi::Get().TIFFWriteScanline)
#endif

#pragma once
// The FreeType functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_FT_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/dynlib/DynLib.h"

#define VAREK_FT_FUNCTIONS(X)                                                                                \
    X(FT_Done_Face)                                                                                          \
    X(FT_Done_FreeType)                                                                                      \
    X(FT_Get_Char_Index)                                                                                     \
    X(FT_Init_FreeType)                                                                                      \
    X(FT_Load_Glyph)                                                                                         \
    X(FT_New_Face)                                                                                           \
    X(FT_Set_Pixel_Sizes)

VAREK_DYN_TABLE(FreeTypeApi, VAREK_FT_FUNCTIONS)

#ifndef VAREK_FT_OWN_NAMES
#define FT_Done_Face (FreeTypeApi::Get().FT_Done_Face)
#define FT_Done_FreeType (FreeTypeApi::Get().FT_Done_FreeType)
#define FT_Get_Char_Index (FreeTypeApi::Get().FT_Get_Char_Index)
#define FT_Init_FreeType (FreeTypeApi::Get().FT_Init_FreeType)
#define FT_Load_Glyph (FreeTypeApi::Get().FT_Load_Glyph)
#define FT_New_Face (FreeTypeApi::Get().FT_New_Face)
#define FT_Set_Pixel_Sizes (FreeTypeApi::Get().FT_Set_Pixel_Sizes)
#endif

#include "GAMES/Rulo2/render/ViewRects.h"

SViewRect ViewRectTable[ViewRectCount];
SViewRect TutorialCutout;

void ClearViewRects()
{
    for (SViewRect& r : ViewRectTable)
        r = SViewRect{};
}

void SetRects(SRectPair& record, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    record.current = SViewRect{left, top, right, bottom};
    record.second = record.current;
}

SViewRect WorldViewRect;

void SetViewRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    WorldViewRect = SViewRect{left, top, right, bottom};
}

void ClearViewRect()
{
    WorldViewRect = SViewRect{};
}

SViewRect ScreenRect;

void SetScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    ScreenRect = SViewRect{left, top, right, bottom};
}

void ClearScreenRect()
{
    ScreenRect = SViewRect{};
}

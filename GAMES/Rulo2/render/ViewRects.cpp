#include "GAMES/Rulo2/render/ViewRects.h"

SViewRect ViewRectTable[ViewRectCount];

void ClearViewRects()
{
    for (SViewRect& r : ViewRectTable)
        r = SViewRect{};
}

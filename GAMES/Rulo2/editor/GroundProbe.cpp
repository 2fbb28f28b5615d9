#include "GAMES/Rulo2/editor/GroundProbe.h"

void MakeGroundProbe(CVector* origin, CVector* direction, const CVector& point)
{
    *origin = CVector(point.x, point.y + 0.15f, point.z);
    *direction = CVector(0, -1, 0);
}

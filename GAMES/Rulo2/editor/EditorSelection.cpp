#include "GAMES/Rulo2/editor/EditorSelection.h"

#include "GAMES/Rulo2/world/GamePasses.h"

#include <cmath>

int32_t SnappingMode = 1;
float GridLevels[3] = {0, 0, 0};

int DepthAxis(ViewIndex view)
{
    return view == VIEW_FRONT ? 2 : view == VIEW_SIDE ? 0 : 1;
}

CVector ComputeSnapOffset(const CVector* points, int32_t count, ViewIndex view)
{
    if (SnappingMode != 1 && SnappingMode != 2)
        return CVector(0, 0, 0);
    const int depth = DepthAxis(view);
    const int planeA = depth == 0 ? 1 : 0;
    const int planeB = depth == 2 ? 1 : 2;
    float best = 100000.0f;
    CVector offset(0, 0, 0);
    auto consider = [&](const CVector& candidate, const CVector& point) {
        const CVector move = candidate - point;
        const float distance = move.length();
        // A later candidate wins only when strictly nearer.
        if (distance < best) {
            best = distance;
            offset = move;
        }
    };
    for (int32_t p = 0; p < count; ++p) {
        CVector onLevel = points[p];
        onLevel[depth] = GridLevels[depth];
        if (SnappingMode == 2) {
            consider(onLevel, points[p]);
            continue;
        }
        // Truncation toward zero: -0.1 gets 0 and 0.25, not -0.25.
        const float a = std::trunc(points[p][planeA] / SnapGrid);
        const float b = std::trunc(points[p][planeB] / SnapGrid);
        for (float da : {0.0f, 1.0f})
            for (float db : {0.0f, 1.0f}) {
                CVector candidate = onLevel;
                candidate[planeA] = (a + da) * SnapGrid;
                candidate[planeB] = (b + db) * SnapGrid;
                consider(candidate, points[p]);
            }
    }
    if (SnappingMode == 1)
        FindNearestSnapDelta(points, count, best, offset);
    return best < SnapDistance ? offset : CVector(0, 0, 0);
}

CVector ComputeSnapOffset(const CVector* points, int32_t count)
{
    return ComputeSnapOffset(points, count, CurrentViewIndex());
}

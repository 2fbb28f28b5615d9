#include "GAMES/Rulo2/editor/EditorSelection.h"

#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

#include <cmath>
#include <vector>

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

void SnapSelection(const CVector& cursorPoint)
{
    CWorldObject* first = g_PreviewRoot ? g_PreviewRoot->FirstObject() : nullptr;
    if (!first)
        return;
    // The preview root's own position is where its origin stands now.
    CVector move = cursorPoint - g_PreviewRoot->position;
    WorldWalk::Move(first, move.x, move.y, move.z, false);
    std::vector<CVector> points;
    for (CWorldObject* n = first; n; n = n->NextObject())
        points.push_back(n->position);
    const CVector snap = ComputeSnapOffset(points.data(), int32_t(points.size()));
    WorldWalk::Move(first, snap.x, snap.y, snap.z, false);
    g_PreviewRoot->position = cursorPoint + snap;
}

bool PlaceNewObject()
{
    if (!g_PreviewRoot || !g_PreviewRoot->firstChild || !g_WorldRoot)
        return false;
    WorldWalk::ClearSelection(g_WorldRoot);
    std::vector<CWorldObject*> placed;
    for (CWorldObject* n = g_PreviewRoot->FirstObject(); n; n = n->NextObject())
        placed.push_back(n);
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        (*it)->selected = 1;
        (*it)->MoveTo(g_WorldRoot);
    }
    g_PreviewRoot->position = CVector(0, 0, 0);
    g_WorldRoot->FirstObject()->ResolveObjectIds();
    RecomputeWorldBounds();
    RefillWorldTree();
    if (g_WorldTreeDlg && placed.front()->id)
        g_WorldTreeDlg->tree.EnsureVisible(placed.front()->id);
    BindSelectionToObjectProperties(WorldWalk::FindSelected(g_WorldRoot));
    return true;
}

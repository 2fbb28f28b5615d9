#include "GAMES/Rulo2/editor/EditorEditing.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/editor/EditorSelection.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

#include <algorithm>
#include <cmath>
#include <vector>

CVector* EditorDraggedPoint = nullptr;
bool EditorPointSkip = false;
int32_t ConnectionIndex = -1;

namespace {

// The editor views' projections (see CMainWindow::switchMode): a perspective of
// pi/4 with aspect 0.75, or an orthographic box 2 x zoom wide and high.
constexpr float HalfFieldTan = 0.41421356f; // tan(pi / 8)
constexpr float PerspectiveAspect = 0.75f;

struct ViewAxes
{
    CVector right, up;
};

ViewAxes AxesOf(const CCameraView& v)
{
    // The eye looks at the target from (sin yaw cos pitch, sin pitch, cos yaw cos pitch).
    ViewAxes a;
    a.right = CVector(-std::cos(v.yaw), 0.0f, std::sin(v.yaw));
    a.up = CVector(-std::sin(v.pitch) * std::sin(v.yaw), std::cos(v.pitch),
                   -std::sin(v.pitch) * std::cos(v.yaw));
    return a;
}

// Half the width and height of the view at the target's distance.
void HalfExtents(const CCameraView& v, float& halfW, float& halfH)
{
    if (v.orthographic) {
        halfW = halfH = v.zoom;
        return;
    }
    halfH = v.zoom * HalfFieldTan;
    halfW = halfH / PerspectiveAspect;
}

CWorldObject* WorldFirst()
{
    return g_WorldRoot;
}

// Positions of the nodes that a walk with `onlySelected` handles.
std::vector<CVector> PositionsOf(CWorldObject* first, bool onlySelected)
{
    std::vector<CVector> points;
    std::vector<CWorldObject*> stack;
    for (CWorldObject* n = first; n; n = n->NextObject())
        stack.push_back(n);
    while (!stack.empty()) {
        CWorldObject* n = stack.back();
        stack.pop_back();
        if (n->objectKind != CWorldObject::KIND_GROUP && (!onlySelected || n->selected))
            points.push_back(n->position);
        for (CWorldObject* c = n->FirstObject(); c; c = c->NextObject())
            stack.push_back(c);
    }
    return points;
}

bool SelectionCentre(CVector& centre)
{
    if (!g_WorldRoot)
        return false;
    CVector sum(0, 0, 0);
    int32_t count = 0;
    WorldWalk::SumPositions(g_WorldRoot, sum, count, true);
    if (count == 0)
        return false;
    centre = sum * (1.0f / float(count));
    return true;
}

CVector SnapOf(const std::vector<CVector>& points)
{
    return points.empty() ? CVector(0, 0, 0) : ComputeSnapOffset(points.data(), int32_t(points.size()));
}

CWorldObject* SelectedConnectionOwner()
{
    CWorldObject* node = g_WorldRoot ? WorldWalk::FindSelected(g_WorldRoot) : nullptr;
    if (!node || node->objectKind != CWorldObject::KIND_MODEL || !node->HasGroundMap())
        return nullptr;
    return node;
}

} // namespace

CVector CursorPointInView(const CCameraView& view, float x, float y, int width, int height)
{
    CVector point(view.target[0], view.target[1], view.target[2]);
    return point + CursorOffsetInView(view, x - float(width) / 2, y - float(height) / 2, width, height);
}

CVector CursorOffsetInView(const CCameraView& view, float dx, float dy, int width, int height)
{
    if (width <= 0 || height <= 0)
        return CVector(0, 0, 0);
    float halfW = 0, halfH = 0;
    HalfExtents(view, halfW, halfH);
    const ViewAxes axes = AxesOf(view);
    return axes.right * (dx / (float(width) / 2) * halfW) - axes.up * (dy / (float(height) / 2) * halfH);
}

// ---------------------------------------------------------------- paste buffer

bool PasteBufferEmpty()
{
    return !g_PasteRoot || !g_PasteRoot->firstChild;
}

void EmptyPasteBuffer()
{
    if (g_PasteRoot)
        g_PasteRoot->DeleteChildren();
}

bool CopySelection()
{
    CVector centre;
    if (!g_PasteRoot || !SelectionCentre(centre))
        return false;
    EmptyPasteBuffer();
    WorldWalk::DuplicateSelected(g_WorldRoot, g_PasteRoot, false, true);
    for (CWorldObject* n = g_PasteRoot->FirstObject(); n; n = n->NextObject()) {
        n->selected = 0;
        n->position = n->position - centre;
    }
    return true;
}

bool CutSelection()
{
    if (!CopySelection())
        return false;
    WorldWalk::DeleteSelected(g_WorldRoot);
    RecomputeWorldBounds();
    return true;
}

CWorldObject* PasteAt(const CVector& point)
{
    if (PasteBufferEmpty() || !g_WorldRoot)
        return nullptr;
    WorldWalk::ClearSelection(g_WorldRoot);
    CWorldObject* last = g_WorldRoot->FirstObject();
    while (last && last->NextObject())
        last = last->NextObject();
    WorldWalk::DuplicateSelected(g_PasteRoot->FirstObject(), g_WorldRoot, false, false);
    CWorldObject* first = last ? last->NextObject() : g_WorldRoot->FirstObject();
    if (!first)
        return nullptr;
    for (CWorldObject* n = first; n; n = n->NextObject())
        n->selected = 1;
    const CVector origin = PasteOrigin(point);
    WorldWalk::Move(first, origin.x, origin.y, origin.z, true);
    first->ResolveObjectIds();
    RecomputeWorldBounds();
    return first;
}

CVector PasteOrigin(const CVector& point)
{
    if (PasteBufferEmpty())
        return point;
    // The buffer holds flat copies (no groups): its chain's points, moved to the point.
    std::vector<CVector> points;
    for (CWorldObject* n = g_PasteRoot->FirstObject(); n; n = n->NextObject())
        points.push_back(n->position + point);
    return point + SnapOf(points);
}

CShownPasteBuffer::CShownPasteBuffer(const CVector& point)
{
    if (PasteBufferEmpty())
        return;
    const CVector origin = PasteOrigin(point);
    std::vector<CWorldObject*> stack{g_PasteRoot->FirstObject()};
    while (!stack.empty()) {
        CWorldObject* n = stack.back();
        stack.pop_back();
        saved_.emplace_back(n, n->position);
        if (CWorldObject* next = n->NextObject())
            stack.push_back(next);
        if (CWorldObject* child = n->FirstObject())
            stack.push_back(child);
    }
    // Lights move with the walker, so that a copied light shines where it would go.
    WorldWalk::Move(g_PasteRoot->FirstObject(), origin.x, origin.y, origin.z, false);
}

CShownPasteBuffer::~CShownPasteBuffer()
{
    for (auto& [node, position] : saved_)
        node->position = position;
}

int32_t DeleteSelection(ViewIndex view)
{
    if (!g_WorldRoot)
        return 0;
    if (view == VIEW_WORLD_GROUND) {
        CWorldObject* node = WorldWalk::FindSelected(g_WorldRoot);
        if (!node)
            return 0;
        int32_t removed = 0;
        while (!node->connections.empty()) {
            CWorldObject* other = node->connections.back().target;
            const size_t before = node->connections.size();
            if (other)
                other->RemoveConnection(node);
            node->RemoveConnection(other);
            if (node->connections.size() == before)
                node->connections.pop_back();
            ++removed;
        }
        while (!node->incoming.empty()) {
            const size_t before = node->incoming.size();
            node->incoming.back()->RemoveConnection(node);
            if (node->incoming.size() == before)
                node->incoming.pop_back();
            ++removed;
        }
        ConnectionIndex = -1;
        return removed;
    }
    const int32_t count = WorldWalk::CountNodes(g_WorldRoot, true);
    WorldWalk::DeleteSelected(g_WorldRoot);
    RecomputeWorldBounds();
    return count;
}

// ---------------------------------------------------------------- picking

namespace {
// The pick test draws: inside a scene of its own unless one is open.
void PickInScene(CWorldObject** result, const SPickRect& rect)
{
    const bool began = DX.device->BeginScene() == D3D_OK;
    PickInRect(g_WorldRoot, result, rect);
    if (began)
        DX.device->EndScene();
}
} // namespace

CWorldObject* EditorPickAtCursor(int x, int y)
{
    if (!g_WorldRoot || !DX.device)
        return nullptr;
    // The candidates meet each other's depth only, not the shown frame's: the
    // nearest one drawn at the pixel is the hit. The next frame draws all again.
    if (DX.zBuffer)
        DX.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    CWorldObject* hit = nullptr;
    PickInScene(&hit, SPickRect{x, y, x, y});
    return hit;
}

void SelectInRect(int x0, int y0, int x1, int y1)
{
    if (!g_WorldRoot || !DX.device)
        return;
    const int w = DX.screenWidth > 0 ? DX.screenWidth : 1, h = DX.screenHeight > 0 ? DX.screenHeight : 1;
    SPickRect rect{std::clamp(std::min(x0, x1), 0, w - 1), std::clamp(std::min(y0, y1), 0, h - 1),
                   std::clamp(std::max(x0, x1), 0, w - 1), std::clamp(std::max(y0, y1), 0, h - 1)};
    // A band no larger than a point selects nothing.
    if (rect.IsPoint())
        return;
    PickInScene(nullptr, rect);
}

CWorldObject* SelectAtCursor(int x, int y, bool keep)
{
    if (!g_WorldRoot)
        return nullptr;
    if (!keep)
        WorldWalk::ClearSelection(g_WorldRoot);
    CWorldObject* hit = EditorPickAtCursor(x, y);
    if (!hit)
        return nullptr;
    hit->selected = 1;
    if (hit->objectKind == CWorldObject::KIND_OBJECT && !hit->objectLogic)
        hit->ResolveObjectIds();
    return hit;
}

// ---------------------------------------------------------------- drags

bool BeginSelectionDrag()
{
    if (!g_WorldRoot || !WorldWalk::HasSelection(g_WorldRoot))
        return false;
    g_WorldRoot->MarkGroupsDirty(true);
    WorldWalk::StoreTransforms(g_WorldRoot);
    return true;
}

void MoveSelectionBy(const CVector& offset)
{
    if (!g_WorldRoot)
        return;
    WorldWalk::MoveSelectionTo(g_WorldRoot, offset, true);
    const CVector snap = SnapOf(PositionsOf(g_WorldRoot, true));
    if (snap.x != 0 || snap.y != 0 || snap.z != 0)
        WorldWalk::MoveSelectionTo(g_WorldRoot, offset + snap, true);
}

void TurnSelectionBy(float yaw)
{
    if (!g_WorldRoot)
        return;
    // The centre of the drag's start: the turn works from the stored transforms.
    CVector sum(0, 0, 0);
    int32_t count = 0;
    std::vector<CWorldObject*> stack{g_WorldRoot};
    while (!stack.empty()) {
        CWorldObject* n = stack.back();
        stack.pop_back();
        if (n->objectKind != CWorldObject::KIND_GROUP && n->selected) {
            sum = sum + n->savedPosition;
            ++count;
        }
        for (CWorldObject* c = n->FirstObject(); c; c = c->NextObject())
            stack.push_back(c);
    }
    if (count == 0)
        return;
    WorldWalk::RotateSelection(g_WorldRoot, yaw, 0.0f, sum * (1.0f / float(count)), true);
}

void EndSelectionDrag()
{
    RecomputeWorldBounds();
}

void MovePointTo(const CVector& point)
{
    if (EditorDraggedPoint)
        *EditorDraggedPoint = point;
}

void SnapDraggedNode()
{
    if (!EditorDraggedPoint)
        return;
    *EditorDraggedPoint = *EditorDraggedPoint + ComputeSnapOffset(EditorDraggedPoint, 1);
}

// ---------------------------------------------------------------- keys

bool StepGridLevel(ViewIndex view, bool pageUp)
{
    int axis = 1, direction = pageUp ? 1 : 0;
    switch (view) {
    case VIEW_FRONT:
        axis = 2;
        break;
    case VIEW_SIDE:
        axis = 0;
        direction = pageUp ? 0 : 1;
        break;
    case VIEW_TOP:
        direction = pageUp ? 0 : 1;
        break;
    case VIEW_PERSPECTIVE:
    case VIEW_WORLD_GROUND:
        break;
    default:
        // The model views scan down only.
        if (pageUp)
            return false;
        direction = 0;
        break;
    }
    return CWorldObject::ScanObjectPositions(WorldFirst(), axis, GridLevels[axis], direction);
}

bool NextConnection()
{
    CWorldObject* node = SelectedConnectionOwner();
    if (!node)
        return false;
    ++ConnectionIndex;
    if (ConnectionIndex >= int32_t(node->connections.size()))
        ConnectionIndex = 0;
    return true;
}

bool StepConnectionBlock()
{
    CWorldObject* node = SelectedConnectionOwner();
    if (!node || ConnectionIndex < 0 || ConnectionIndex >= int32_t(node->connections.size()))
        return false;
    SConnection& own = node->connections[size_t(ConnectionIndex)];
    SConnection* back = nullptr;
    if (own.target)
        for (SConnection& c : own.target->connections)
            if (c.target == node)
                back = &c;
    const uint8_t a = own.flag, b = back ? back->flag : 0;
    // (0, 0) -> (1, 0) -> (0, 1) -> (0, 0)
    const bool first = !a && !b;
    own.flag = first ? 1 : 0;
    if (back)
        back->flag = (a && !b) ? 1 : 0;
    return true;
}

void ClearEditorSelection()
{
    EmptyPasteBuffer();
    if (g_WorldRoot)
        WorldWalk::ClearSelection(g_WorldRoot);
}

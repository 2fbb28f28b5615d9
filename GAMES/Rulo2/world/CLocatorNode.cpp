#include "GAMES/Rulo2/world/CLocatorNode.h"

#include <strings.h>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/render/Markers.h"

CLocatorNode::CLocatorNode(const char* text) : CModelNode(text)
{
    modelKind = KIND_LOCATOR;
}

bool CLocatorNode::IsSnapper() const
{
    return name && strncasecmp(name, "snapper", 7) == 0;
}

void CLocatorNode::OnUpdateWorldMatrix(const CMatrix& parentWorld, float time)
{
    worldMatrix = parentWorld;
    CModelNode::OnUpdateWorldMatrix(parentWorld, time);
}

void CLocatorNode::OnCountLocators(int32_t& all, int32_t& snappers)
{
    ++all;
    if (IsSnapper())
        ++snappers;
    CModelNode::OnCountLocators(all, snappers);
}

void CLocatorNode::OnCollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                                          int32_t& back, int32_t& front)
{
    int32_t& slot = IsSnapper() ? front : back;
    if (points && slot >= 0 && slot < capacity)
        points[slot] = world.translation();
    if (IsSnapper())
        ++front;
    else
        --back;
    CModelNode::OnCollectLocatorPoints(world, time, points, capacity, back, front);
}

void CLocatorNode::DrawMarker() const
{
    if (GameModeFlag || !g_ModelTreeView.locatorDisplay || g_ModelTreeView.viewHidesLocators)
        return;
    uint32_t colour = 0xFFC0C0C0u;
    if (IsSelectedInModelTree(this))
        colour = kMarkerSelectedColour;
    else if (IsSnapper())
        colour = kMarkerColour;
    DrawCircle3D(worldMatrix.translation(), colour);
}

size_t CLocatorNode::Describe(char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    return AppendText(text, size, 0, "LOCATOR '%s'", name ? name : "unnamed");
}

#include "GAMES/Rulo2/editor/AttackPointsDlg.h"

#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/crt/Crt.h"

#include <cstdio>
#include <cstring>

using platform::ui::ControlKind;

int32_t SelectedAttackPoint = -1;
bool AttackPointMode = false;
bool AttackPointModeView = false;
std::unique_ptr<AttackPointsDlg> g_AttackPointsDlg;

namespace {

constexpr float kPi = 3.1415927f;

// The place and angle of the dragged point when its drag began.
float dragStart[4] = {0, 0, 0, 0};
// Drag 6: the node and its translation when the drag began.
CFrameNode* draggedNode = nullptr;
CVector nodeStart{0, 0, 0};

void ReadPoint(const SModelPoint& p, float out[4])
{
    std::memcpy(out, p.words, sizeof p.words);
}

void WritePoint(SModelPoint& p, const float in[4])
{
    std::memcpy(p.words, in, sizeof p.words);
}

void EnableModelWindows(bool enable)
{
    if (g_ModelListDlg)
        g_ModelListDlg->EnableWindow(enable);
    if (g_ModelTreeDlg)
        g_ModelTreeDlg->EnableWindow(enable);
}

} // namespace

void MirrorAttackPoint(float point[4])
{
    point[3] += kPi;
    point[0] = -point[0];
    point[2] = -point[2];
}

AttackPointsDlg::AttackPointsDlg(CModelEntry* model)
    : Dialog(IDD, "Edit AttackPoints", 230, 200), model_(model)
{
    AddControl(ControlKind::ListBox, kList, "", 8, 8, 130, 160);
    AddControl(ControlKind::Button, kAdd, "Add", 146, 8, 74, 24);
    AddControl(ControlKind::Button, kRemove, "Remove", 146, 38, 74, 24);
    AddControl(ControlKind::Button, kCopy, "Copy", 146, 68, 74, 24);
    AddControl(ControlKind::Button, kMirror, "Mirror", 146, 98, 74, 24);
}

void AttackPointsDlg::Open(platform::HWND parent)
{
    Create(parent);
    platform::RECT area{0, 0, 640, 480};
    if (parent)
        parent->GetClientRect(area);
    const platform::RECT own = GetWindowRect();
    const int w = own.right - own.left, h = own.bottom - own.top;
    SetWindowPos((area.right - area.left - w) / 2, (area.bottom - area.top - h) / 2, 0, 0,
                 platform::ui::SWP_NOSIZE | platform::ui::SWP_NOZORDER);
    ShowWindow(platform::SW_SHOWNA);
    EnableModelWindows(false);
    AttackPointMode = true;
    AttackPointModeView = true;
    SelectedAttackPoint = -1;
    Refill();
}

void AttackPointsDlg::Refill()
{
    platform::ui::Control* list = GetDlgItem(kList);
    list->list.clear();
    list->selection = -1;
    for (size_t i = 0; i < model_->points.size(); ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "AttackPoint #%d", int(i + 1));
        list->list.push_back(text);
    }
}

bool AttackPointsDlg::OnCommand(int id)
{
    auto& points = model_->points;
    const int selection = GetDlgItem(kList)->selection;
    switch (id) {
    case kList:
        SelectedAttackPoint = selection >= 0 && selection < int(points.size()) ? selection : -1;
        return true;
    case kAdd:
        points.push_back(SModelPoint{});
        SelectedAttackPoint = int32_t(points.size()) - 1;
        Refill();
        return true;
    case kRemove:
        if (SelectedAttackPoint >= 0 && SelectedAttackPoint < int32_t(points.size())) {
            points.erase(points.begin() + SelectedAttackPoint);
            SelectedAttackPoint = -1;
            Refill();
        }
        return true;
    case kCopy:
        if (selection >= 0 && selection < int(points.size())) {
            const SModelPoint copy = points[size_t(selection)];
            points.push_back(copy);
            SelectedAttackPoint = int32_t(points.size()) - 1;
            Refill();
        }
        return true;
    case kMirror:
        if (SelectedAttackPoint >= 0 && SelectedAttackPoint < int32_t(points.size())) {
            float p[4];
            ReadPoint(points[size_t(SelectedAttackPoint)], p);
            MirrorAttackPoint(p);
            WritePoint(points[size_t(SelectedAttackPoint)], p);
        }
        return true;
    default:
        return Dialog::OnCommand(id);
    }
}

void AttackPointsDlg::OnDestroy()
{
    EnableModelWindows(true);
    AttackPointMode = false;
    AttackPointModeView = false;
}

bool OpenAttackPointsDialog(CModelEntry* model, platform::HWND parent)
{
    if (!model || AttackPointDialogOpen())
        return false;
    g_AttackPointsDlg = std::make_unique<AttackPointsDlg>(model);
    g_AttackPointsDlg->Open(parent);
    return true;
}

bool AttackPointDialogOpen()
{
    return g_AttackPointsDlg && g_AttackPointsDlg->IsWindow();
}

SModelPoint* SelectedAttackPointData()
{
    if (!AttackPointMode || !AttackPointDialogOpen())
        return nullptr;
    auto& points = g_AttackPointsDlg->Model()->points;
    if (SelectedAttackPoint < 0 || SelectedAttackPoint >= int32_t(points.size()))
        return nullptr;
    return &points[size_t(SelectedAttackPoint)];
}

bool TurnAttackPointRandomly()
{
    SModelPoint* point = SelectedAttackPointData();
    if (!point)
        return false;
    float p[4];
    ReadPoint(*point, p);
    p[3] = float((crt::rand() + 1) % 4) * (kPi / 2);
    WritePoint(*point, p);
    return true;
}

bool BeginAttackPointDrag()
{
    const SModelPoint* point = SelectedAttackPointData();
    if (!point)
        return false;
    ReadPoint(*point, dragStart);
    return true;
}

void MoveAttackPointBy(const CVector& offset)
{
    if (SModelPoint* point = SelectedAttackPointData()) {
        const float p[4] = {dragStart[0] + offset.x, dragStart[1] + offset.y, dragStart[2] + offset.z,
                            dragStart[3]};
        WritePoint(*point, p);
    }
}

void TurnAttackPointBy(float angle)
{
    if (SModelPoint* point = SelectedAttackPointData()) {
        float p[4];
        ReadPoint(*point, p);
        p[3] = dragStart[3] + angle;
        WritePoint(*point, p);
    }
}

bool BeginModelNodeDrag(int x, int y)
{
    draggedNode = nullptr;
    if (!AttackPointDialogOpen() || SelectedAttackPointData() || !g_AttackPointsDlg->Model()->model)
        return false;
    uint32_t item = 0;
    CMeshNode* mesh = nullptr;
    if (!g_AttackPointsDlg->Model()->model->Pick(item, x, y, x, y, &mesh) || !mesh)
        return false;
    // The mesh's own frame or joint is what places it.
    for (CNode* n = mesh->parent; n; n = n->parent) {
        auto* node = dynamic_cast<CModelNode*>(n);
        if (!node || node->modelKind == CModelNode::KIND_ROOT)
            break;
        if (node->modelKind == CModelNode::KIND_FRAME || node->modelKind == CModelNode::KIND_JOINT) {
            draggedNode = static_cast<CFrameNode*>(node);
            nodeStart = draggedNode->translation;
            return true;
        }
    }
    return false;
}

void MoveModelNodeBy(const CVector& offset)
{
    if (draggedNode && AttackPointDialogOpen())
        draggedNode->translation =
            CVector(nodeStart.x + offset.x, nodeStart.y + offset.y, nodeStart.z + offset.z);
}

void DrawAttackPointMarkers()
{
    if (!AttackPointMode || !AttackPointDialogOpen())
        return;
    const auto& points = g_AttackPointsDlg->Model()->points;
    for (size_t i = 0; i < points.size(); ++i) {
        SAttackPoint p;
        float v[4];
        ReadPoint(points[i], v);
        p.x = v[0];
        p.y = v[1];
        p.z = v[2];
        p.angle = v[3];
        DrawAttackPoint(p, int32_t(i) == SelectedAttackPoint ? kMarkerSelectedColour : kMarkerColour);
    }
}

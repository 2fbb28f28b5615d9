#include "GAMES/Rulo2/editor/ModelTreeDlg.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <algorithm>
#include <string>
#include <vector>

using platform::ui::TreeCode;
using platform::ui::TreeNotify;

namespace {

constexpr int VK_F2 = 0x71;
constexpr int VK_DELETE = 0x2E;

CMeshNode* AsMesh(CModelNode* node)
{
    return node && node->modelKind == CModelNode::KIND_MESH ? static_cast<CMeshNode*>(node) : nullptr;
}

} // namespace

ModelTreeDlg::ModelTreeDlg()
    : CToolWindow(IDD, "ModelTreeDlg", "Model Tree", true, "ShowModelTree", &g_ShowModelTree, 150, 300)
{
    AddSizedTree(IDC_TREE, tree);
    // The model nodes fill this tree from now on.
    g_ModelTreeView.control = &tree;
}

ModelTreeDlg::~ModelTreeDlg()
{
    if (g_ModelTreeView.control == &tree)
        g_ModelTreeView.control = nullptr;
}

bool ModelTreeDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.setTipCallback([this](CIntelliTip& tip, HTREEITEM item) {
        CRootNode* model = Model();
        CModelNode* node = model ? model->FindSelectedInTree(nullptr, nullptr, item) : nullptr;
        if (!node)
            return false;
        char text[2048] = {};
        node->Describe(text, sizeof text);
        return tip.show(text);
    });
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    return true;
}

CRootNode* ModelTreeDlg::Model()
{
    return CurrentModel ? CurrentModel->model : nullptr;
}

void ModelTreeDlg::Rebuild()
{
    if (CRootNode* model = Model())
        model->InsertIntoTree(0, nullptr);
    else
        tree.deleteAllItems(false);
}

CModelNode* ModelTreeDlg::Selected(CModelNode** shape) const
{
    CModelNode* node = nullptr;
    CModelNode* child = nullptr;
    CRootNode* model = Model();
    const HTREEITEM caret = tree.TreeCtrl::GetSelectedItem();
    if (!model || !caret || !model->FindSelectedInTree(&node, &child, caret))
        return nullptr;
    if (shape)
        *shape = child;
    return node;
}

void ModelTreeDlg::Rename(const char* text)
{
    CModelNode* shape = nullptr;
    CModelNode* node = Selected(&shape);
    if (!node || !text || !*text)
        return;
    node->SetName(text);
    if (node->id)
        tree.SetItemText(node->id, text);
    if (shape) {
        shape->SetName((std::string(text) + "Shape").c_str());
        // A frame merged with its mesh shows through the mesh's item.
        if (shape->id)
            tree.SetItemText(shape->id, node->id ? shape->GetName() : text);
    }
    if (g_WorldRoot)
        RecomputeWorldBounds();
}

void ModelTreeDlg::DeleteSelected()
{
    CModelNode* shape = nullptr;
    CModelNode* node = Selected(&shape);
    if (!node || node == Model())
        return;
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Forget(nullptr);
    if (shape)
        shape->Delete();
    node->Delete();
    if (g_WorldRoot)
        RecomputeWorldBounds();
    Rebuild();
}

void ModelTreeDlg::OnSelectionChanged()
{
    if (!g_MaterialManagerDlg)
        return;
    g_MaterialManagerDlg->Refresh(true);
    const CMeshMaterial* m = g_MaterialManagerDlg->Material();
    if (!m || !g_TextureManagerDlg || EditorShiftHeld() || CurrentViewIndex() != VIEW_MODEL)
        return;
    if (m->page) {
        int index = 0;
        for (CTexturePage* p = CTexturePage::First(); p && p != m->page; p = p->next)
            ++index;
        g_TextureManagerDlg->Refresh(TextureManagerDlg::SHOW_PAGES, index, m->pageEntry);
    } else if (m->texture) {
        const std::vector<CTexture*> named = TextureManagerDlg::NamedTextures();
        const auto it = std::find(named.begin(), named.end(), m->texture);
        if (it != named.end())
            g_TextureManagerDlg->Refresh(TextureManagerDlg::SHOW_TEXTURES, int(it - named.begin()));
    }
}

void ModelTreeDlg::OnTreeNotify(const TreeNotify& n)
{
    if (!Model())
        return;
    switch (n.code) {
    case TreeCode::RClick: {
        uint32_t flags = 0;
        const HTREEITEM item = tree.HitTest(n.x, n.y, &flags);
        CModelNode* shape = nullptr;
        CModelNode* node = nullptr;
        if (item)
            Model()->FindSelectedInTree(&node, &shape, item);
        CMeshNode* mesh = AsMesh(shape ? shape : node);
        contextMenu = LoadContextMenus();
        const bool meshMenu = mesh && CurrentViewIndex() == VIEW_MODEL;
        platform::ui::Menu* menu =
            contextMenu ? contextMenu->FindSubMenu(meshMenu ? "Mesh" : "ModelTree") : nullptr;
        if (!menu)
            break;
        if (meshMenu) {
            menu->CheckMenuItem(ID_BACKFACE_CULLING, mesh->backfaceCulling);
            menu->CheckMenuItem(ID_COMPLEX, mesh->complex);
            menu->CheckMenuItem(ID_INSIDE, mesh->inside);
            menu->CheckMenuItem(ID_SMOOTH, mesh->smooth);
            menu->CheckMenuItem(ID_LIGHT_FLARE, mesh->lightFlare);
        }
        menu->CheckMenuItem(ID_SHOW_ALL_NODES, g_ModelTreeView.fullView);
        menu->CheckMenuItem(ID_SHOW_LOCATORS, g_ModelTreeView.locatorDisplay);
        platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
        break;
    }
    case TreeCode::KeyDown:
        if (n.key == VK_F2 && tree.TreeCtrl::GetSelectedItem())
            tree.EditLabel(tree.TreeCtrl::GetSelectedItem());
        else if (n.key == VK_DELETE && CurrentViewIndex() == VIEW_MODEL)
            DeleteSelected();
        break;
    case TreeCode::EndLabelEdit:
        if (!n.cancelled)
            Rename(n.text.c_str());
        break;
    case TreeCode::SelChanged:
        OnSelectionChanged();
        break;
    default:
        break;
    }
}

bool ModelTreeDlg::OnCommand(int id)
{
    if (id == ID_SHOW_ALL_NODES || id == ID_SHOW_LOCATORS) {
        uint8_t& flag = id == ID_SHOW_ALL_NODES ? g_ModelTreeView.fullView : g_ModelTreeView.locatorDisplay;
        flag = flag ? 0 : 1;
        if (Model())
            Rebuild();
        return true;
    }
    CModelNode* shape = nullptr;
    CModelNode* node = Selected(&shape);
    CMeshNode* mesh = AsMesh(shape ? shape : node);
    switch (id) {
    case ID_INVERSE_CULLING:
        if (mesh)
            FlipFaceWinding(*mesh);
        return true;
    case ID_INVERSE_NORMALS:
        if (mesh)
            FlipNormals(*mesh);
        return true;
    case ID_BACKFACE_CULLING:
    case ID_COMPLEX:
    case ID_INSIDE:
    case ID_SMOOTH:
    case ID_LIGHT_FLARE:
        if (mesh) {
            uint8_t& flag = id == ID_BACKFACE_CULLING ? mesh->backfaceCulling
                            : id == ID_COMPLEX        ? mesh->complex
                            : id == ID_INSIDE         ? mesh->inside
                            : id == ID_SMOOTH         ? mesh->smooth
                                                      : mesh->lightFlare;
            flag = flag ? 0 : 1;
        }
        return true;
    default:
        if (CToolWindow::OnCommand(id))
            return true;
        // The 3-D view's context menus are tracked with this window as owner: what it
        // does not handle itself goes on to the main window's command table.
        if (!Owner())
            return false;
        Owner()->SendMessage(platform::WM_COMMAND, platform::WPARAM(id));
        return true;
    }
}

namespace {

// The model views show the model at the origin in its rest pose; the world's instances of it
// set their own matrices whenever they are drawn.
CRootNode* ModelAtOrigin()
{
    CRootNode* model = ModelTreeDlg::Model();
    if (model)
        model->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    return model;
}

} // namespace

bool EditShapeAt(int x, int y)
{
    CRootNode* model = ModelAtOrigin();
    return model && PickShapePoint(model, x, y);
}

void DrawShapeOfSelectedMesh()
{
    if (CurrentViewIndex() != VIEW_MODEL_GROUND)
        return;
    if (CRootNode* model = ModelAtOrigin()) {
        DrawShape(model);
        DrawShapeMarkers(model);
    }
}

#include "GAMES/Rulo2/editor/TextureListDlg.h"

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <algorithm>
#include <string>

using platform::ui::TreeAction;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;

bool AssignWholeTexture(CMeshNode* mesh, int material, CTexture* texture)
{
    if (!mesh || !texture || material < 0 || material >= mesh->materialCount)
        return false;
    if (!mesh->MaterialHasTexCoords(material)) {
        MessageBoxWarning("Mesh has no texture-coordinates");
        return false;
    }
    if (!mesh->MaterialTexCoordsInRange(material) &&
        !MessageBoxConfirm("Mesh has no valid texture-coordinates. Proceed anyway?"))
        return false;
    CMeshMaterial& m = mesh->materials[material];
    // Raised before lowered: the same texture given again keeps its count.
    ++texture->useCount;
    if (m.texture)
        --m.texture->useCount;
    m.texture = texture;
    m.textureName = texture->sourcePath.empty() ? texture->name : texture->sourcePath;
    m.page = nullptr;
    m.pageNumber = -1;
    m.pageEntry = -1;
    m.entryRect[0] = m.entryRect[1] = 0;
    m.entryRect[2] = m.entryRect[3] = 256;
    ApplyToModelsSlot14(g_ModelListRoot, texture);
    if (g_TextureManagerDlg)
        g_TextureManagerDlg->UpdateStatus(true);
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Refresh(true);
    return true;
}

TextureListDlg::TextureListDlg()
    : CToolWindow(IDD, "TextureListDlg", "Texture List", true, "ShowTextureList", &g_ShowTextureList, 150,
                  300)
{
    AddSizedTree(IDC_TREE, tree);
    g_TextureTree = &tree;
}

TextureListDlg::~TextureListDlg()
{
    if (g_TextureTree == &tree)
        g_TextureTree = nullptr;
}

bool TextureListDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.setTipCallback([this](CIntelliTip& tip, HTREEITEM item) {
        CTexture* t = TextureOf(item);
        if (!t)
            return false;
        return tip.show((t->name + "\n" + t->sourcePath + "\n" + t->resolvedPath).c_str());
    });
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    return true;
}

CTexture* TextureListDlg::TextureOf(HTREEITEM item) const
{
    if (!item)
        item = tree.TreeCtrl::GetSelectedItem();
    if (!item)
        return nullptr;
    for (CTexture* t = CTexture::First(); t; t = t->next)
        if (t->treeItem == intptr_t(item))
            return t;
    return nullptr;
}

namespace {

void TextureManagerFollows(CTexture* texture)
{
    if (!g_TextureManagerDlg)
        return;
    const std::vector<CTexture*> named = TextureManagerDlg::NamedTextures();
    const auto it = std::find(named.begin(), named.end(), texture);
    if (g_TextureManagerDlg->showMode == TextureManagerDlg::SHOW_TEXTURES && it != named.end())
        g_TextureManagerDlg->Refresh(TextureManagerDlg::SHOW_TEXTURES, int(it - named.begin()));
    else
        g_TextureManagerDlg->UpdateStatus(true);
}

} // namespace

void TextureListDlg::OnTreeNotify(const TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::SelChanged:
        if (n.action == TreeAction::ByMouse || n.action == TreeAction::ByKeyboard)
            TextureManagerFollows(TextureOf(n.item));
        break;
    case TreeCode::DblClk:
        AssignSelected();
        break;
    case TreeCode::RClick: {
        uint32_t flags = 0;
        const HTREEITEM item = tree.HitTest(n.x, n.y, &flags);
        if (!item)
            break;
        tree.TreeCtrl::SelectItem(item, TreeAction::ByMouse);
        CTexture* texture = TextureOf(item);
        TextureManagerFollows(texture);
        if (!texture)
            break;
        contextMenu = LoadContextMenus();
        if (platform::ui::Menu* menu = contextMenu ? contextMenu->FindSubMenu("TextureList") : nullptr)
            platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y,
                                         *this);
        break;
    }
    default:
        break;
    }
}

void TextureListDlg::AssignSelected()
{
    if (CurrentViewIndex() != VIEW_MODEL || !ModelTreeDlg::Model() || !g_ModelTreeDlg ||
        !g_MaterialManagerDlg)
        return;
    CModelNode* shape = nullptr;
    CModelNode* node = g_ModelTreeDlg->Selected(&shape);
    CModelNode* selected = shape ? shape : node;
    if (!selected || selected->modelKind != CModelNode::KIND_MESH)
        return;
    auto* mesh = static_cast<CMeshNode*>(selected);
    const int material = g_MaterialManagerDlg->Mesh() == mesh ? g_MaterialManagerDlg->MaterialIndex() : 0;
    AssignWholeTexture(mesh, material, TextureOf());
}

void TextureListDlg::UpdateSelected()
{
    CTexture* texture = TextureOf();
    if (!texture)
        return;
    const std::string path = texture->sourcePath.empty() ? texture->name : texture->sourcePath;
    texture->Unload(false);
    texture->Load(path.c_str(), texture->colourKeyed);
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        if (std::any_of(p->entries.begin(), p->entries.end(),
                        [texture](const CTexturePageEntry& e) { return e.texture == texture; }))
            p->Build();
    if (g_TextureManagerDlg)
        g_TextureManagerDlg->UpdateStatus(true);
}

bool TextureListDlg::OnCommand(int id)
{
    if (id == ID_UPDATE_TEXTURE) {
        UpdateSelected();
        return true;
    }
    return CToolWindow::OnCommand(id);
}

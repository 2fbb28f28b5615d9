#pragma once
// The Texture List window: the loaded textures in a tree. A double click gives
// the selected texture to the material shown in the Material Manager; "Update
// Texture" loads it again from its file.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>

class CMeshNode;
class CTexture;

class TextureListDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 193,
        IDC_TREE = 1027,
        ID_UPDATE_TEXTURE = 33014,
    };

    TextureListDlg();
    ~TextureListDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnTreeNotify(const platform::ui::TreeNotify& n);

    // The texture of a tree item (0: the selected one); null when none.
    CTexture* TextureOf(HTREEITEM item = 0) const;
    // The selected texture given to the Material Manager's material.
    void AssignSelected();
    // The selected texture loaded again and the pages that hold it rebuilt.
    void UpdateSelected();

    CEditorTree tree;
    std::unique_ptr<platform::ui::Menu> contextMenu;
};

// Gives `texture` to a mesh material as a whole texture (no page), with the
// questions about its texture coordinates; false when nothing changed.
bool AssignWholeTexture(CMeshNode* mesh, int material, CTexture* texture);

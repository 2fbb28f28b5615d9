#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"

#include <algorithm>
#include <vector>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainRulesDlg.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

using platform::ui::ControlKind;

TerrainPropertiesDlg* g_TerrainProperties = nullptr;

namespace {
std::vector<TerrainPropertiesDlg*>& Windows()
{
    static std::vector<TerrainPropertiesDlg*> windows;
    return windows;
}
} // namespace

TerrainPropertiesDlg::TerrainPropertiesDlg() : platform::ui::Dialog(IDD, "Terrain Properties", 300, 430)
{
    Windows().push_back(this);
    const struct
    {
        int id;
        const char* label;
    } edits[] = {{IDC_WIDTH, "Width:"},
                 {IDC_HEIGHT, "Height:"},
                 {IDC_DEVX, "DevX:"},
                 {IDC_DEVY, "DevY:"},
                 {IDC_TEXRESX, "TexResX:"},
                 {IDC_TEXRESY, "TexResY:"},
                 {IDC_MAXHEIGHT, "Max Height:"},
                 {IDC_RANDX, "RandX:"},
                 {IDC_RANDY, "RandY:"}};
    int y = 10;
    for (const auto& e : edits) {
        AddControl(ControlKind::Static, 0, e.label, 10, y + 3, 90, 20);
        AddControl(ControlKind::Edit, e.id, "", 100, y, 80, 22);
        y += 26;
    }
    AddControl(ControlKind::CheckBox, IDC_CALC_HEIGHTMAP, "Calc Heightmap", 190, 10, 100, 20);
    AddControl(ControlKind::Static, 0, "ImageName:", 10, y + 3, 90, 20);
    AddControl(ControlKind::Button, IDC_BROWSE_IMAGE, "Browse...", 200, y, 80, 22);
    AddControl(ControlKind::Edit, IDC_IMAGENAME, "", 10, y + 24, 270, 22);
    y += 54;
    AddControl(ControlKind::Static, 0, "TexRules:", 10, y + 3, 90, 20);
    AddControl(ControlKind::Button, IDC_BROWSE_RULES, "Browse...", 200, y, 80, 22);
    AddControl(ControlKind::Edit, IDC_TEXRULES, "", 10, y + 24, 270, 22);
    y += 58;
    AddControl(ControlKind::Button, IDC_RECALC, "Recalc", 10, y, 64, 24);
    AddControl(ControlKind::Button, IDC_CALC, "Calc", 80, y, 64, 24);
    AddControl(ControlKind::Button, IDC_EDIT, "Edit...", 150, y, 64, 24);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 220, y, 64, 24);
}

TerrainPropertiesDlg::~TerrainPropertiesDlg()
{
    auto& windows = Windows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (g_TerrainProperties == this)
        g_TerrainProperties = nullptr;
}

void TerrainPropertiesDlg::ForgetTerrain(const CTerrainRules* terrain)
{
    for (TerrainPropertiesDlg* window : Windows())
        if (window->terrain_ == terrain)
            window->terrain_ = nullptr;
}

void TerrainPropertiesDlg::SetTerrain(CTerrainRules* terrain)
{
    if (!terrain)
        return;
    terrain_ = terrain;
    width = terrain->width;
    depth = terrain->depth;
    devX = terrain->devX;
    devY = terrain->devY;
    texResX = terrain->texResX;
    texResY = terrain->texResY;
    maxHeight = terrain->maxHeight;
    imageName = terrain->heightmapName;
    rulesName = terrain->rulesPath;
    if (IsWindow())
        UpdateData(false);
}

void TerrainPropertiesDlg::DoDataExchange(platform::ui::DataExchange& dx)
{
    using namespace platform::ui;
    DDX_Text(dx, IDC_WIDTH, width);
    DDX_Text(dx, IDC_HEIGHT, depth);
    DDX_Text(dx, IDC_DEVX, devX);
    DDX_Text(dx, IDC_DEVY, devY);
    DDX_Text(dx, IDC_TEXRESX, texResX);
    DDV_MinMaxFloat(dx, texResX, 0.0f, 1.0f);
    DDX_Text(dx, IDC_TEXRESY, texResY);
    DDV_MinMaxFloat(dx, texResY, 0.0f, 1.0f);
    DDX_Text(dx, IDC_MAXHEIGHT, maxHeight);
    DDX_Text(dx, IDC_RANDX, randX);
    DDV_MinMaxFloat(dx, randX, 0.0f, 100.0f);
    DDX_Text(dx, IDC_RANDY, randY);
    DDV_MinMaxFloat(dx, randY, 0.0f, 100.0f);
    DDX_Check(dx, IDC_CALC_HEIGHTMAP, calcHeightmap);
    DDX_Text(dx, IDC_IMAGENAME, imageName);
    DDX_Text(dx, IDC_TEXRULES, rulesName);
}

bool TerrainPropertiesDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_RECALC:
        OnRecalc();
        return true;
    case IDC_CALC:
        OnCalc();
        return true;
    case IDC_EDIT:
        OnEdit(&TerrainPropertiesDlg::RunRulesDialog);
        return true;
    case IDC_BROWSE_IMAGE:
    case IDC_BROWSE_RULES: {
        platform::ui::FileDialog files(true, std::string());
        if (files.DoModal(Owner()) != platform::ui::IDOK)
            return true;
        const std::string chosen = files.GetPathName().string();
        if (id == IDC_BROWSE_IMAGE)
            OnBrowseImage(chosen.c_str());
        else
            OnBrowseRules(chosen.c_str());
        return true;
    }
    case IDC_CALC_HEIGHTMAP:
        return true;
    default:
        return platform::ui::Dialog::OnCommand(id);
    }
}

bool TerrainPropertiesDlg::RunRulesDialog(CTerrainRules* terrain)
{
    TerrainRulesDlg rules(terrain);
    return rules.DoModal(g_TerrainProperties ? g_TerrainProperties->Owner() : nullptr) == platform::ui::IDOK;
}

bool TerrainPropertiesDlg::ReadControls(std::string* message)
{
    // A range check of the exchange has shown its message already.
    if (IsWindow() && !UpdateData(true))
        return false;
    for (float value : {randX, randY})
        if (!(value >= 0.0f && value <= 100.0f)) {
            if (message)
                *message = "Please enter a number between 0 and 100.";
            return false;
        }
    // A grid finer than the heightmap would read past the image rows.
    for (float value : {texResX, texResY})
        if (!(value >= 0.0f && value <= 1.0f)) {
            if (message)
                *message = "Please enter a number between 0 and 1.";
            return false;
        }
    return true;
}

void TerrainPropertiesDlg::OnRecalc()
{
    CTerrainRules* t = terrain_;
    if (!t || !ReadControls())
        return;
    t->width = width;
    t->depth = depth;
    t->devX = devX;
    t->devY = devY;
    t->texResX = texResX;
    t->texResY = texResY;
    t->maxHeight = maxHeight;
    t->spare[0] = t->spare[1] = 0;
    t->randX = randX / 100.0f;
    t->randY = randY / 100.0f;
    const CTerrainRules fresh;
    std::copy(std::begin(fresh.extra), std::end(fresh.extra), std::begin(t->extra));
    t->Rebuild(imageName.c_str(), rulesName.c_str(), !calcHeightmap);
    RecomputeWorldBounds();
}

void TerrainPropertiesDlg::OnCalc()
{
    if (!terrain_)
        return;
    terrain_->seed = uint32_t(GameClock.gameClock);
    OnRecalc();
}

void TerrainPropertiesDlg::OnEdit(bool (*runDialog)(CTerrainRules* terrain))
{
    if (!terrain_ || !runDialog)
        return;
    if (IsWindow())
        rulesName = GetDlgItemText(IDC_TEXRULES);
    terrain_->Parse(rulesName.c_str());
    if (!runDialog(terrain_) || !terrain_)
        return;
    rulesName = terrain_->rulesPath;
    if (IsWindow())
        SetDlgItemText(IDC_TEXRULES, rulesName);
    OnRecalc();
}

void TerrainPropertiesDlg::OnBrowseImage(const char* chosen)
{
    if (!chosen)
        return;
    imageName = chosen;
    // Only this edit changes: what was typed into the others stays.
    if (IsWindow())
        SetDlgItemText(IDC_IMAGENAME, imageName);
}

void TerrainPropertiesDlg::OnBrowseRules(const char* chosen)
{
    if (!chosen)
        return;
    rulesName = chosen;
    if (IsWindow())
        SetDlgItemText(IDC_TEXRULES, rulesName);
}

void ShowTerrainProperties(CWorldObject* terrain)
{
    CTerrainRules* record = terrain ? terrain->Terrain() : nullptr;
    if (!record || !g_TerrainProperties)
        return;
    g_TerrainProperties->ShowWindow(platform::SW_SHOW);
    g_TerrainProperties->SetTerrain(record);
}

#pragma once
// The Terrain Properties window: it edits one terrain record's parameters and
// rebuilds the terrain from them. It keeps the standard OK and Cancel (either
// hides it) and stores no placement.
#include "platform/ui/Ui.h"

#include <string>

class CTerrainRules;

class TerrainPropertiesDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 432,
        IDC_WIDTH = 1035,
        IDC_HEIGHT = 1036,
        IDC_DEVX = 1037,
        IDC_DEVY = 1038,
        IDC_TEXRESX = 1039,
        IDC_TEXRESY = 1040,
        IDC_MAXHEIGHT = 1041,
        IDC_RANDX = 1042,
        IDC_RANDY = 1043,
        IDC_CALC_HEIGHTMAP = 1109,
        IDC_IMAGENAME = 1189,
        IDC_BROWSE_IMAGE = 1324,
        IDC_TEXRULES = 1190,
        IDC_BROWSE_RULES = 1325,
        IDC_RECALC = 1327,
        IDC_CALC = 1323,
        IDC_EDIT = 1326,
    };

    TerrainPropertiesDlg();
    ~TerrainPropertiesDlg() override;

    void SetTerrain(CTerrainRules* terrain);
    CTerrainRules* Terrain() const { return terrain_; }

    void DoDataExchange(platform::ui::DataExchange& dx) override;
    bool OnCommand(int id) override;
    // The controls into the members (while the window exists) and the members
    // checked: false (nothing written) with the standard message when RandX or
    // RandY lies outside 0 to 100 or TexResX or TexResY outside 0 to 1.
    bool ReadControls(std::string* message = nullptr);
    void OnRecalc();
    void OnCalc();
    // Opens the placement rules dialog through `runDialog`, which returns
    // whether it ended with OK.
    void OnEdit(bool (*runDialog)(CTerrainRules* terrain));
    void OnBrowseImage(const char* chosen);
    void OnBrowseRules(const char* chosen);
    // The placement rules dialog, modal on a terrain; true when it ended with OK.
    static bool RunRulesDialog(CTerrainRules* terrain);

    // A terrain record going away unbinds every window bound to it.
    static void ForgetTerrain(const CTerrainRules* terrain);

    int calcHeightmap = 0;
    float width = 0.0f, depth = 0.0f, devX = 0.0f, devY = 0.0f;
    float texResX = 0.0f, texResY = 0.0f, maxHeight = 0.0f;
    std::string imageName, rulesName;
    float randX = 0.0f, randY = 0.0f;

private:
    CTerrainRules* terrain_ = nullptr;
};

// The one window of the editor (created hidden at start-up in editor mode).
extern TerrainPropertiesDlg* g_TerrainProperties;

class CWorldObject;
// The World Tree's double click on a terrain: the window is shown and bound to
// the terrain's record. Nothing for a node without one.
void ShowTerrainProperties(CWorldObject* terrain);

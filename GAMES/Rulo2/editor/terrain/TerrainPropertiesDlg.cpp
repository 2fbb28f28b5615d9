#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"

#include <algorithm>
#include <vector>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

TerrainPropertiesDlg* g_TerrainProperties = nullptr;

namespace {
std::vector<TerrainPropertiesDlg*>& Windows()
{
    static std::vector<TerrainPropertiesDlg*> windows;
    return windows;
}
} // namespace

TerrainPropertiesDlg::TerrainPropertiesDlg() : platform::ui::Dialog(IDD, "Terrain Properties", 300, 400)
{
    Windows().push_back(this);
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
}

bool TerrainPropertiesDlg::ReadControls(std::string* message)
{
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
    terrain_->Parse(rulesName.c_str());
    if (!runDialog(terrain_) || !terrain_)
        return;
    rulesName = terrain_->rulesPath;
    OnRecalc();
}

void TerrainPropertiesDlg::OnBrowseImage(const char* chosen)
{
    if (chosen)
        imageName = chosen;
}

void TerrainPropertiesDlg::OnBrowseRules(const char* chosen)
{
    if (chosen)
        rulesName = chosen;
}

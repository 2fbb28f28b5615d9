#include "GAMES/Rulo2/render/GameResources.h"

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/resources/Resources.h"

namespace {

struct STextureHolder
{
    uint16_t id;
    CTexture* texture;
    bool owner; // a texture kept in two holders is deleted once
};

struct SModelHolder
{
    uint16_t id;
    CRootNode* model;
};

std::vector<STextureHolder> g_textures;
std::vector<SModelHolder> g_models;
imgImage* g_image569 = nullptr;
CD3DLight* g_sun = nullptr;

// While LoadGameResources runs, a missing resource is logged once however
// often it is asked for.
bool g_loggingOnce = false;
std::set<std::pair<std::string, uint16_t>> g_loggedMissing;

bool LoadBytes(const char* type, uint16_t id, std::vector<uint8_t>& bytes)
{
    if (platform::LoadResource(type, id, bytes))
        return true;
    if (!g_loggingOnce || g_loggedMissing.insert({type, id}).second)
        LogPrintf("Resource %s %u not found", type, unsigned(id));
    return false;
}

void HoldTexture(uint16_t id, const char* name)
{
    g_textures.push_back({id, LoadTextureResource(id, name, false), true});
}

void HoldModel(uint16_t id, bool hideTextures)
{
    CTexture* head = CTexture::First();
    g_models.push_back({id, LoadModelFromResource(id)});
    if (hideTextures)
        CTexture::SetFirst(head);
}

} // namespace

imgImage* LoadImageResource(uint16_t id)
{
    std::vector<uint8_t> bytes;
    if (!LoadBytes("IMAGES", id, bytes))
        return nullptr;
    auto image = std::make_unique<imgImage>();
    if (image->loadMemory(bytes.data(), bytes.size()) != 1) {
        LogPrintf("Resource IMAGES %u is not a readable picture", unsigned(id));
        return nullptr;
    }
    return image.release();
}

CTexture* LoadTextureResource(uint16_t id, const char* name, bool colourKeyed)
{
    std::unique_ptr<imgImage> image(LoadImageResource(id));
    if (!image)
        return nullptr;
    CTexture* head = CTexture::First();
    auto* texture = new CTexture(name);
    texture->CreateFromImage(*image, colourKeyed);
    CTexture::SetFirst(head);
    return texture;
}

CRootNode* LoadModelFromResource(uint16_t id)
{
    std::vector<uint8_t> bytes;
    if (!LoadBytes("MODELS", id, bytes))
        return nullptr;
    auto* root = new CRootNode();
    const std::string source = "MODELS " + std::to_string(id);
    ParseTmfChunks(bytes.data(), bytes.size(), root, source.c_str());
    return root;
}

bool LoadGameResources()
{
    if (!DX.initialised)
        return false;
    g_loggingOnce = true;
    g_loggedMissing.clear();

    if (SunLightFlag)
        SwitchSun(true);

    HoldTexture(336, "Shadow");
    g_textures.push_back({336, g_textures.back().texture, false});
    HoldTexture(580, nullptr);
    HoldTexture(581, nullptr);
    HoldTexture(582, "gradient2");

    g_image569 = LoadImageResource(569);
    if (g_image569)
        g_image569->convertTo(0x208, 7);

    HoldTexture(393, "Lightflare");
    for (uint16_t id : {571, 572, 573, 577, 576, 575, 574, 609, 592, 591, 600, 584, 585, 587, 586})
        HoldTexture(id, nullptr);
    for (uint16_t id : {569, 465, 467})
        HoldTexture(id, "foto_hotel");
    const std::pair<uint16_t, const char*> menu[] = {{537, "CounterCash"},    {488, "MenuBackGround"},
                                                     {552, "MenuRightPanel"}, {489, "counter_zahlen00"},
                                                     {531, "button_front00"}, {530, "button_back"}};
    for (const auto& t : menu)
        HoldTexture(t.first, t.second);

    HoldModel(532, false);

    const std::pair<uint16_t, const char*> hud[] = {{430, "rucksack"},
                                                    {547, "characterFont1"},
                                                    {548, "characterFont2"},
                                                    {549, "characterFont3"},
                                                    {550, "characterFont4"},
                                                    {539, "sliderbar"},
                                                    {540, "sliderbutton"},
                                                    {542, "sliderleft"},
                                                    {543, "sliderright"},
                                                    {541, "slidercenter"},
                                                    {471, "uhr"},
                                                    {472, "uhr_button1"},
                                                    {473, "uhr_button2"},
                                                    {474, "uhr_button3"},
                                                    {482, "ClockTrans"},
                                                    {567, "stadtplan"},
                                                    {570, nullptr},
                                                    {578, nullptr},
                                                    {579, nullptr}};
    for (const auto& t : hud)
        HoldTexture(t.first, t.second);

    int copies460 = 0;
    for (uint16_t id :
         {566, 536, 460, 460, 460, 481, 476, 477, 478, 483, 583, 479, 475, 480, 427, 414, 417, 419}) {
        const bool hide = id == 566 || id == 476 || id == 483 || (id == 460 && ++copies460 == 2);
        HoldModel(id, hide);
    }
    for (uint16_t id : {421, 428, 438, 442, 439, 441, 440, 396, 429, 430, 608, 606})
        HoldModel(id, false);

    g_loggingOnce = false;
    CreateVertexBuffers();
    return true;
}

void FreeGameResources()
{
    if (g_ModelListRoot)
        ReleaseVertexBuffers(g_ModelListRoot);
    for (SModelHolder& h : g_models)
        delete h.model;
    g_models.clear();
    for (STextureHolder& h : g_textures)
        if (h.owner)
            delete h.texture;
    g_textures.clear();
    delete g_image569;
    g_image569 = nullptr;
    delete g_sun;
    g_sun = nullptr;
}

CTexture* GameResourceTexture(uint16_t id, int copy)
{
    for (const STextureHolder& h : g_textures)
        if (h.id == id && copy-- == 0)
            return h.texture;
    return nullptr;
}

CRootNode* GameResourceModel(uint16_t id, int copy)
{
    for (const SModelHolder& h : g_models)
        if (h.id == id && copy-- == 0)
            return h.model;
    return nullptr;
}

imgImage* GameResourceImage()
{
    return g_image569;
}

CD3DLight* GameResourceSun()
{
    return g_sun;
}

void SwitchSun(bool on)
{
    delete g_sun;
    g_sun = nullptr;
    if (!on)
        return;
    g_sun = new CD3DLight("Sun");
    g_sun->set(D3DLIGHT_POINT, 20.0f, 20.0f, -20.0f, 2.0f, 2.0f, 2.0f, 100.0f, true);
    g_sun->light.dvAttenuation0 = 1.0f;
    g_sun->light.dvAttenuation1 = 0.0f;
    g_sun->light.dvAttenuation2 = 0.0f;
    g_sun->kind = 6;
    if (DX.device && g_sun->slot >= 0)
        DX.device->SetLight(uint32_t(g_sun->slot), &g_sun->light);
}

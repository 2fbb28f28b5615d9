// The texture pages inside the world: the world file's "TEXP" section and the
// models of the model list that refer to page entries.
#include "GAMES/Rulo2/TexturePage.h"

#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

namespace {

template <class F>
void ForEachListedModel(F&& f)
{
    if (g_ModelListRoot)
        WalkModelList(g_ModelListRoot->FirstEntry(), [&](CModelEntry* e) {
            if (e->model)
                f(*e->model);
        });
}

} // namespace

void FinishTexturePagesAfterLoad()
{
    LogPrintf("Checking for invalid Texture-Pages...");
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        p->PurgeMissingTextures();
    LogPrintf("Removing identical Texture-Pages...");
    for (CTexturePage* p = CTexturePage::First(); p;) {
        CTexturePage* twin = CTexturePage::First()->FindEqual(p);
        if (!twin) {
            p = p->next;
            continue;
        }
        // The pages are equal: the models of the later one use the earlier.
        if (g_ModelListRoot)
            ApplyToModelsSlot18(g_ModelListRoot->FirstEntry(), twin, p);
        delete twin;
        p = CTexturePage::First();
    }
    LogPrintf("Recreating Texture-Pages...");
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        if (!p->surface) {
            p->Release();
            p->Build();
        }
}

void InstallTexturePageHooks()
{
    TexturePageHooks.read = [](CChunkReader& data, std::string* error) {
        return CTexturePage::LoadPages(data, error);
    };
    TexturePageHooks.write = [](CChunkWriter& writer) {
        return !CTexturePage::First() || CTexturePage::First()->SavePages(writer);
    };
    TexturePageHooks.number = [] {
        int32_t n = 0;
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            p->number = ++n;
        // The models store their pages by these numbers.
        ForEachListedModel([](CRootNode& model) {
            for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
                model.ReplacePage(p, p);
        });
    };
    TexturePageHooks.excludeAll = [] {
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            p->number = -1;
    };
    TexturePageHooks.deviceCanHoldPages = [] { return TextureDeviceCanTexture(); };
    TexturePageHooks.clear = [] { CTexturePage::DeleteAll(); };
    TexturePageHooks.afterLoad = FinishTexturePagesAfterLoad;
    TexturePageHooks.texturesMissing = [] {
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            for (const CTexturePageEntry& e : p->entries)
                if (!e.texture && !e.path.empty())
                    return true;
        return false;
    };
}

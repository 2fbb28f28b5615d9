#include "GAMES/Rulo2/TexturePage.h"

#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldFile.h"

void InstallTexturePageHooks()
{
    g_TexturePageHooks.read = [](CChunkReader& data, std::string* error) {
        return CTexturePage::LoadPages(data, error);
    };
    g_TexturePageHooks.write = [](CChunkWriter& writer) {
        return !CTexturePage::First() || CTexturePage::First()->SavePages(writer);
    };
    g_TexturePageHooks.number = [] {
        int32_t n = 0;
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            p->number = ++n;
    };
    g_TexturePageHooks.excludeAll = [] {
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            p->number = -1;
    };
    g_TexturePageHooks.deviceCanHoldPages = [] { return TextureDeviceCanTexture(); };
    g_TexturePageHooks.clear = [] { CTexturePage::DeleteAll(); };
}

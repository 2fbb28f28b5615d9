// The texture-page section reader over arbitrary bytes, on a device whose
// list has 5-6-5 and 1-5-5-5: stored pixels are copied, converted and halved,
// and every page read is written again.
#include <cstddef>
#include <cstdint>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

// Kept for the whole run, like the device's own records.
TextureFormatInfo g_formats[2];

TextureFormatInfo* Format(int i, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    TextureFormatInfo* f = &g_formats[i];
    f->name.Set("fuzz");
    f->format = D3DMakeRGBFormat(16, r, g, b, a);
    f->rgb = 1;
    f->hasAlpha = a != 0;
    f->bitsPerPixel = 16;
    return f;
}

void SetUpDevice()
{
    static D3DDeviceInfo info;
    static IDirectDraw7* dd = nullptr;
    if (dd)
        return;
    DirectDrawCreateEx(nullptr, &dd);
    info.texturing = true;
    info.hardware = true;
    info.maxTextureWidth = info.maxTextureHeight = 256;
    info.textureFormats.add(Format(0, 0xF800, 0x07E0, 0x001F, 0));
    info.textureFormats.add(Format(1, 0x7C00, 0x03E0, 0x001F, 0x8000));
    DX.directDraw = dd;
    DX.deviceInfo = &info;
    GameModeFlag = 1; // no texture files are looked for
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpDevice();
    Settings.highResTextures = size % 2 ? 1 : 0;
    CChunkReader reader(data, size);
    CTexturePage::LoadPages(reader, nullptr);
    if (CTexturePage* first = CTexturePage::First()) {
        CChunkWriter writer;
        first->SavePages(writer);
    }
    CTexturePage::DeleteAll();
    return 0;
}

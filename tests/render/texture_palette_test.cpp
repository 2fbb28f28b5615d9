// An 8-bit texture surface gets a palette of its own.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/Texture.h"
#include "tests/render/TextureTestRig.h"

TEST(TexturePalette, TheSurfaceOwnsANewPaletteWithTheEntries)
{
    TextureDeviceRig rig;
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(rig.dd->CreateSurface(&d, &surface, nullptr), DD_OK);
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = PALETTEENTRY{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0x40};

    ASSERT_EQ(SetNewPalette(rig.dd, surface, entries), DD_OK);
    IDirectDrawPalette* first = surface->palette;
    ASSERT_NE(first, nullptr);
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(first->entries[i].peRed, entries[i].peRed) << i;
        EXPECT_EQ(first->entries[i].peGreen, entries[i].peGreen) << i;
        EXPECT_EQ(first->entries[i].peBlue, entries[i].peBlue) << i;
    }
    // Changing the caller's entries afterwards leaves the surface's palette alone.
    entries[5].peRed = 99;
    EXPECT_EQ(first->entries[5].peRed, 5);

    // A second palette replaces the first; the surface held the only reference
    // to each, so nothing leaks when it goes (the sanitizer build checks).
    ASSERT_EQ(SetNewPalette(rig.dd, surface, entries), DD_OK);
    EXPECT_EQ(surface->palette->entries[5].peRed, 99);
    surface->Release();
}

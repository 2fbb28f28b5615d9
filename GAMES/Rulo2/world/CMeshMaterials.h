#pragma once
// What the texture usage scans of mesh materials report.
#include <cstdint>

class CTexture;
class CTexturePage;

// One texture in use: with a page, one element per page; without, one per texture.
struct STextureUse
{
    CTexture* texture = nullptr;
    CTexturePage* page = nullptr;
    int32_t entry = -1;
};

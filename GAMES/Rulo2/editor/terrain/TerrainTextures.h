#pragma once
// The generator's textures stay out of the global texture list, so that the
// texture windows and the world's texture saving never see them.
#include <memory>
#include <string>

class CTexture;
class imgImage;

// While it lives, new textures go into a chain of their own; the global list
// is put back as it was when it ends.
class TextureListHidden
{
public:
    TextureListHidden();
    ~TextureListHidden();
    TextureListHidden(const TextureListHidden&) = delete;
    TextureListHidden& operator=(const TextureListHidden&) = delete;

private:
    CTexture* first_;
    CTexture* last_;
};

// A texture named `name` made from a copy of the image (the image stays as it is).
std::shared_ptr<CTexture> MakeGeneratedTexture(const imgImage& image, const char* name);

// Loads a picture named by a Windows-style path. A file that is not there is
// left unread (the image stays empty) without the image library's warning:
// the generator says in its own log what it could not use.
bool LoadTerrainImage(imgImage& image, const std::string& path);

// Texture pages: one texture surface (normally 256 by 256) onto which several
// textures are copied side by side, so that many meshes share one texture
// change; and the world file's "TEXP" section that stores them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/Texture.h"

class CChunkReader;
class CChunkWriter;

struct CTexturePageEntry
{
    CTexture* texture = nullptr; // not owned; may be null after loading
    RECT pageRect;               // page pixels, right and bottom exclusive
    RECT textureRect;            // 1/256 of the texture's size
    // The stored source path; written back when the texture did not load, so
    // that a page saved without its textures loses none of its entries.
    std::string path;
};

// Edge bits of CTexturePage::DragEntry.
enum : uint32_t
{
    DRAG_LEFT = 0x1,
    DRAG_TOP = 0x2,
    DRAG_RIGHT = 0x4,
    DRAG_BOTTOM = 0x8,
    DRAG_CROP = 0x10,
};

class CTexturePage : public CTextureSurface
{
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int32_t kMinEntrySize = 16;

    // An empty 256 by 256 page at the end of the page list.
    CTexturePage();
    ~CTexturePage() override;

    // Keeps width and height, so the page can be built again.
    void Release() override;

    bool AddTexture(CTexture* texture);
    void removeTexture(int32_t index);
    bool ResizeEntry(int32_t index, int32_t dw, int32_t dh);
    bool DragEntry(int32_t index, const RECT& startPageRect, const RECT& startTextureRect, int32_t dx,
                   int32_t dy, uint32_t edges);
    void PurgeMissingTextures();
    CTexturePage* FindEqual(CTexturePage* other);
    bool Build();
    bool Restore();

    // The section from this page on (all pages, or the used ones only).
    bool SavePages(CChunkWriter& writer);
    static bool SaveUsedPages(CTexturePage* first, CChunkWriter& writer);
    bool WritePage(CChunkWriter& writer);
    // One "PAGE" body; true unless the body is damaged.
    bool ReadPage(CChunkReader& body);
    // Reads "PAGE" chunks until "END ", appending a page for each; false on a
    // damaged section (short header, body over the limit or past the data, or a
    // damaged page body).
    static bool LoadPages(CChunkReader& data, std::string* error = nullptr);

    int32_t count() const { return int32_t(entries.size()); }

    static CTexturePage* First() { return s_first; }
    // Moves the head of the list (the editor keeps a second world's pages aside).
    static void SetFirst(CTexturePage* first) { s_first = first; }
    // Takes the page out of the list and appends it at the end.
    void MoveToEnd();
    // Deletes every page.
    static void DeleteAll();
    // The page with a number (see `number`); null when none.
    static CTexturePage* FindByNumber(int32_t number);

    CTexturePage* next = nullptr;
    int32_t keptWord = 0;
    std::vector<CTexturePageEntry> entries;
    bool used = false;
    // The page's number in the world file (1, 2, ... in list order once saved;
    // -1 during a merge). Mesh materials refer to pages by it.
    int32_t number = -1;
    // What the section stored: page pixels, and whether they carry alpha.
    bool storedPixels = false;
    bool storedAlpha = false;

private:
    bool Overlaps(const RECT& r, int32_t except) const;
    bool WritePixels(CChunkWriter& writer);
    // The first step of ReadPage: size and entries; then the stored pixels make the surface.
    bool ReadEntries(CChunkReader& body, uint32_t version);

    static CTexturePage* s_first;
};

// The TEXP section in a file of its own (tools and tests): the "TEXP" tag,
// the pages and "END ".
bool SaveTexturePageFile(const char* path, std::string* error = nullptr);
bool LoadTexturePageFile(const char* path, std::string* error = nullptr);
// The same file of the pages of the list from `first` whose used flag is set.
bool SaveUsedTexturePageFile(CTexturePage* first, const char* path, std::string* error = nullptr);

// Takes over the world file's TEXP hooks and tells the model list about
// removed page entries.
void InstallTexturePageHooks();
// The world loader's page pass in the editor: entries without texture go,
// duplicate pages are merged into the first, pages without surface are built.
void FinishTexturePagesAfterLoad();

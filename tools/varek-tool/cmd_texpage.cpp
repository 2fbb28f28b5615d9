// varek-tool texpage dump FILE: the texture pages of a world file (or of a file
// holding only the texture-page section) with size, format and entries.
#include <cstdio>
#include <string>
#include <vector>

#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

int TexpageUsage()
{
    std::fprintf(stderr, "usage: varek-tool texpage dump FILE\n");
    return 1;
}

// Moves `data` to just after the "TEXP" tag; false when the file has none.
bool FindSection(CChunkReader& data, std::string& error)
{
    SChunkHeader header;
    CChunkReader body;
    EChunkResult r = data.NextChunk(header, body);
    if (r != CHUNK_OK) {
        error = std::string(ChunkResultText(r)) + " at offset 0";
        return false;
    }
    if (header.id == ChunkId("TEXP"))
        return true;
    if (header.id != ChunkId("WRLD")) {
        error =
            "neither a world file nor a texture-page section (starts with '" + ChunkIdText(header.id) + "')";
        return false;
    }
    for (;;) {
        const size_t at = data.FileOffset();
        r = data.NextChunk(header, body);
        if (r == CHUNK_NO_MORE || (r == CHUNK_OK && header.id == ChunkId("EOF "))) {
            error = "the world file has no texture pages";
            return false;
        }
        if (r != CHUNK_OK) {
            error = std::string(ChunkResultText(r)) + " at offset " + std::to_string(at);
            return false;
        }
        if (header.id == ChunkId("TEXP"))
            return true;
        if (!SkipSection(data)) {
            error =
                "section '" + ChunkIdText(header.id) + "' at offset " + std::to_string(at) + " has no end";
            return false;
        }
    }
}

void PrintPages()
{
    int index = 0;
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next) {
        const char* pixels = !p->storedPixels ? "none" : (p->storedAlpha ? "1-5-5-5" : "5-5-5");
        std::printf("PAGE %d: %dx%d, kept word %d, %d entries, stored pixels %s", ++index, p->width,
                    p->height, p->keptWord, p->count(), pixels);
        if (p->format)
            std::printf(", format '%s'", p->format->name.c_str());
        std::printf("\n");
        for (int32_t i = 0; i < p->count(); ++i) {
            const CTexturePageEntry& e = p->entries[size_t(i)];
            std::printf("  %d: '%s' page (%d, %d, %d, %d) texture (%d, %d, %d, %d)\n", i, e.path.c_str(),
                        e.pageRect.left, e.pageRect.top, e.pageRect.right, e.pageRect.bottom,
                        e.textureRect.left, e.textureRect.top, e.textureRect.right, e.textureRect.bottom);
        }
    }
    std::printf("%d texture-page(s)\n", index);
}

} // namespace

int cmd_texpage(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "dump")
        return TexpageUsage();
    const std::string path = argv[2];
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error))
        return ToolFail("texpage", path, error);
    CChunkReader data(bytes.data(), bytes.size());
    if (!FindSection(data, error))
        return ToolFail("texpage", path, error);
    const bool ok = CTexturePage::LoadPages(data, &error);
    if (!ok) {
        CTexturePage::DeleteAll();
        return ToolFail("texpage", path, "texture pages: " + error);
    }
    PrintPages();
    CTexturePage::DeleteAll();
    return 0;
}

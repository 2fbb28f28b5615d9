// Group "model": the model file (tmf) on the command line.
//   varek-tool model dump FILE         the node tree with its counts
//   varek-tool model roundtrip IN OUT  load, then save
//   varek-tool model import IN OUT     any model the importers take (.x, Maya
//                                      ASCII, model file, OBJ), saved as a model file

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/editor/EditorInstall.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

const char* KindName(int32_t kind)
{
    static const char* names[] = {"NODE", "ROOT", "FRAME", "JOINT", "MESH", "LOCATOR"};
    return kind >= 0 && kind < 6 ? names[kind] : "NODE";
}

uint32_t FrameKeys(const CFrameNode* f)
{
    uint32_t keys = 0;
    if (f->animation)
        for (uint32_t k : f->animation->keyCount)
            keys += k;
    return keys;
}

void Dump(CModelNode* first, int depth)
{
    for (CModelNode* n = first; n; n = n->NextModel()) {
        std::printf("%*s%s '%s'", depth * 2, "", KindName(n->modelKind),
                    n->GetName() ? n->GetName() : "unnamed");
        switch (n->modelKind) {
        case CModelNode::KIND_ROOT: {
            auto* r = static_cast<CRootNode*>(n);
            std::printf(" vertices %u faces %u locators %d keys %u", r->vertexCount, r->triangleCount,
                        r->locatorCount, FrameKeys(r));
            break;
        }
        case CModelNode::KIND_FRAME:
        case CModelNode::KIND_JOINT:
            std::printf(" keys %u", FrameKeys(static_cast<CFrameNode*>(n)));
            break;
        case CModelNode::KIND_MESH: {
            auto* m = static_cast<CMeshNode*>(n);
            uint32_t tracks = 0, keys = 0;
            for (const CVertexTrack* t = m->vertexTracks; t; t = t->next) {
                ++tracks;
                keys += uint32_t(t->keyCount[0] + t->keyCount[1] + t->keyCount[2]);
            }
            std::printf(" vertices %d faces %d materials %d tracks %u keys %u", m->vertexCount,
                        m->triangleCount, m->materialCount, tracks, keys);
            break;
        }
        default:
            break;
        }
        std::printf("\n");
        if (CModelNode* c = n->FirstModelChild())
            Dump(c, depth + 1);
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: varek-tool model dump FILE\n       varek-tool model roundtrip IN OUT\n"
                         "       varek-tool model import IN OUT.tmf\n");
    return 1;
}

// The importers say in the log why they leave out parts of a file or refuse
// it: those lines go to stderr before the tool's own message.
int Import(const char* inArg, const std::string& in, const char* outArg, const std::string& out)
{
    InstallEditor();
    const std::filesystem::path log =
        std::filesystem::temp_directory_path() / ("varek_import_" + std::to_string(::getpid()) + ".log");
    std::filesystem::remove(log);
    static const uint8_t loggingOn = 1;
    LogPrintfSetTarget(&loggingOn, log.c_str());
    std::unique_ptr<CRootNode> root(ImportModelFile(in.c_str()));
    LogPrintfSetTarget(nullptr, nullptr);
    {
        std::ifstream lines(log);
        for (std::string line; std::getline(lines, line);)
            std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::filesystem::remove(log);
    if (!root)
        return ToolFail("model", inArg,
                        platform::Access(in, 4) != 0
                            ? "cannot be read"
                            : "no importer takes it (.x, Maya ASCII, model file, OBJ)");
    std::string error;
    if (!root->Save(out.c_str(), &error))
        return ToolFail("model", outArg, error);
    return 0;
}

} // namespace

int cmd_model(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string action = argv[1];
    if (!((action == "dump" && argc == 3) || ((action == "roundtrip" || action == "import") && argc == 4)))
        return Usage();
    // Loading a model makes its folder the current one: settle both paths first.
    std::error_code ec;
    const std::string in = std::filesystem::absolute(argv[2], ec).string();
    const std::string out = argc == 4 ? std::filesystem::absolute(argv[3], ec).string() : std::string();
    if (action == "import")
        return Import(argv[2], in, argv[3], out);
    std::string error;
    LoadLosses().clear();
    std::unique_ptr<CRootNode> root(LoadTmf(in.c_str(), &error));
    if (!root)
        return ToolFail("model", argv[2], error);
    if (action == "dump") {
        Dump(root.get(), 0);
        return 0;
    }
    if (!root->Save(out.c_str(), &error))
        return ToolFail("model", argv[3], error);
    return ToolLosses("model", argv[2]);
}

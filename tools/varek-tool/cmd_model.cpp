// Group "model": the model file (tmf) on the command line.
//   varek-tool model dump FILE         the node tree with its counts
//   varek-tool model roundtrip IN OUT  load, then save

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
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
    std::fprintf(stderr, "usage: varek-tool model dump FILE\n       varek-tool model roundtrip IN OUT\n");
    return 1;
}

} // namespace

int cmd_model(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string action = argv[1];
    if (!((action == "dump" && argc == 3) || (action == "roundtrip" && argc == 4)))
        return Usage();
    // Loading a model makes its folder the current one: settle both paths first.
    std::error_code ec;
    const std::string in = std::filesystem::absolute(argv[2], ec).string();
    const std::string out = argc == 4 ? std::filesystem::absolute(argv[3], ec).string() : std::string();
    std::string error;
    std::unique_ptr<CRootNode> root(LoadTmf(in.c_str(), &error));
    if (!root)
        return ToolFail("model", argv[2], error);
    if (action == "dump") {
        Dump(root.get(), 0);
        return 0;
    }
    if (!root->Save(out.c_str(), &error))
        return ToolFail("model", argv[3], error);
    return 0;
}

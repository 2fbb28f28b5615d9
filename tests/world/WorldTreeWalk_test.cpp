// The shared tree walks: every node of a deep and wide model, in pre-order, and
// the stop rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

namespace {

// A chain of `depth` frames, each with `width` meshes beside the next frame.
// A walk with a small fixed stack loses the meshes below a few hundred levels.
void BuildChain(CModelNode* parent, int depth, int width, std::vector<CMeshNode*>& meshes)
{
    for (int level = 0; level < depth; ++level) {
        for (int i = 0; i < width; ++i) {
            auto* mesh = new CMeshNode(("m" + std::to_string(level) + "." + std::to_string(i)).c_str());
            parent->AddChild(mesh);
            meshes.push_back(mesh);
        }
        auto* frame = new CFrameNode("f");
        parent->AddChild(frame);
        parent = frame;
    }
}

TEST(TreeWalk, EveryMeshOfADeepAndWideModelIsVisitedInOrder)
{
    CRootNode root;
    std::vector<CMeshNode*> meshes;
    BuildChain(&root, 600, 3, meshes);
    std::vector<CMeshNode*> seen;
    ForEachMesh(&root, [&](CMeshNode* mesh) { seen.push_back(mesh); });
    EXPECT_EQ(seen, meshes);

    seen.clear();
    WalkMeshTree(&root, [&](CMeshNode* mesh) { seen.push_back(mesh); });
    EXPECT_EQ(seen.size(), meshes.size());
}

TEST(TreeWalk, AVisitReturningFalseStopsTheWholeWalk)
{
    CRootNode root;
    std::vector<CMeshNode*> meshes;
    BuildChain(&root, 10, 2, meshes);
    int visited = 0;
    EXPECT_FALSE(WalkMeshTree(&root, [&](CMeshNode* mesh) {
        ++visited;
        return mesh != meshes[7];
    }));
    EXPECT_EQ(visited, 8);

    // The model list: entries, their sub-entries, then their later siblings.
    CModelEntry list;
    auto entry = [](const char* name) {
        auto* e = new CModelEntry();
        e->SetName(name);
        return e;
    };
    CModelEntry* a = entry("a");
    list.AddChild(a);
    a->AddChild(entry("a1"));
    list.AddChild(entry("b"));
    std::string order;
    EXPECT_TRUE(
        WalkModelList(list.FirstEntry(), [&](CModelEntry* e) { order += std::string(e->GetName()) + " "; }));
    EXPECT_EQ(order, "a a1 b ");
}

} // namespace

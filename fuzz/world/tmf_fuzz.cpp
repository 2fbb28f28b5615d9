// The model file reader over arbitrary bytes: the tree it builds is prepared,
// described, measured and written again, so damaged bodies reach every user.
#include <cstddef>
#include <cstdint>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/world/CRootNode.h"

static void Visit(CModelNode* first)
{
    char text[1024];
    for (CModelNode* n = first; n; n = n->NextModel()) {
        n->Describe(text, sizeof text);
        if (CModelNode* c = n->FirstModelChild())
            Visit(c);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto* root = new CRootNode;
    ParseTmfChunks(data, size, root, "fuzz");
    Visit(root);
    root->UpdateWorldMatrix(CMatrix::Identity, 5.0f);
    CVector p;
    root->GetPositionByPath("|a|b", &p, CMatrix::Identity, 1.0f);
    CChunkWriter writer;
    root->SaveToMemory(writer);
    delete root;
    return 0;
}

#pragma once
// The pre-order walks every tree kind shares: world nodes, model nodes (and
// their meshes) and the model list.
#include <type_traits>

#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

// Visits `first`, its subtree, then its later siblings and theirs. A visit that
// returns a bool stops the whole walk by returning false; the walk then returns
// false. A node's next sibling is read after its subtree is walked.
template <class Node, class Visit>
bool WalkTree(Node* first, Visit&& visit)
{
    for (Node* n = first; n; n = static_cast<Node*>(n->next)) {
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Node*>>)
            visit(n);
        else if (!visit(n))
            return false;
        if (auto* c = static_cast<Node*>(n->firstChild))
            if (!WalkTree(c, visit))
                return false;
    }
    return true;
}

template <class Visit>
bool WalkWorldTree(CWorldObject* first, Visit&& visit)
{
    return WalkTree(first, visit);
}

// Visits `root` and its subtree only, not its later siblings; the same stop rule.
template <class Visit>
bool WalkWorldSubtree(CWorldObject* root, Visit&& visit)
{
    if (!root)
        return true;
    if constexpr (std::is_void_v<std::invoke_result_t<Visit&, CWorldObject*>>)
        visit(root);
    else if (!visit(root))
        return false;
    return WalkTree(root->FirstObject(), visit);
}

template <class Visit>
bool WalkModelTree(CModelNode* first, Visit&& visit)
{
    return WalkTree(first, visit);
}

template <class Visit>
bool WalkModelList(CModelEntry* first, Visit&& visit)
{
    return WalkTree(first, visit);
}

// Only the mesh nodes of a model-tree walk, with the same stop rule.
template <class Visit>
bool WalkMeshTree(CModelNode* first, Visit&& visit)
{
    return WalkTree(first, [&](CModelNode* n) {
        if (n->modelKind != CModelNode::KIND_MESH)
            return true;
        auto* mesh = static_cast<CMeshNode*>(n);
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, CMeshNode*>>) {
            visit(mesh);
            return true;
        } else {
            return bool(visit(mesh));
        }
    });
}

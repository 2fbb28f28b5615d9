#pragma once
// The world's share of the start-up vertex-buffer pass: how big the world is
// and which model-list entries its model instances use, and how often.
#include <cstdint>
#include <vector>

class CWorldObject;
struct VertexBufferCandidate;

// Every node of the tree below and after `first` (the node itself included).
int32_t CountWorldNodes(const CWorldObject* first);
// Counts the model uses of the world afresh (every entry's use counter) and
// gives the entries of the model list in list order whose model is used, has
// vertices and is not animated, each with its use count.
void CollectVertexBufferModels(std::vector<VertexBufferCandidate>& out);

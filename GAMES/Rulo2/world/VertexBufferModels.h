#pragma once
// The world's share of the start-up vertex-buffer pass: how big the world is
// and which model-list entries its model instances use, and how often.
#include <cstdint>
#include <unordered_map>
#include <vector>

class CModelEntry;
class CWorldObject;
struct VertexBufferCandidate;

// Every node of the tree below and after `first` (the node itself included).
int32_t CountWorldNodes(const CWorldObject* first);
// Adds 1 to the count of the model entry of every model instance (kind 1).
void CountModelUses(const CWorldObject* first, std::unordered_map<const CModelEntry*, int32_t>& uses);
// The entries of the model list in list order whose model is used, has
// vertices and is not animated, each with its use count.
void CollectVertexBufferModels(std::vector<VertexBufferCandidate>& out);
// Points the render engine's VertexBufferModels at the functions above.
void InstallVertexBufferModels();

#pragma once
// The street network: the street pieces of the loaded world, each with the
// pieces reachable from it, rebuilt after every world load. Lookup by piece
// node and random routes for the passers-by.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class CWorldObject;

struct StreetElement;

struct StreetLink
{
    StreetElement* target = nullptr;
    float distance = 0.0f;
};

struct StreetElement
{
    CWorldObject* node = nullptr;
    std::vector<StreetLink> links;
    // The frame time of the route that last passed here; a new element holds
    // a value no frame time takes before the clock wraps.
    uint32_t visitMark = 0xFFFFFFFFu;
};

class CStreetNet
{
public:
    // Rebuilds the network from `root` and everything after and below it; a
    // null root leaves the old network as it is.
    void Build(CWorldObject* root);
    // The element of a piece node, or null.
    StreetElement* Find(const CWorldObject* node) const;
    // A random route from the start piece through pieces not yet passed in
    // this frame (one walk, or two joined at the start piece); false when none.
    bool RandomRoute(const CWorldObject* startNode, std::vector<StreetElement*>& route, uint8_t oneWay);
    // Forgets every element (the world is going away).
    void Clear();

    std::vector<std::unique_ptr<StreetElement>> elements;
    // Lookup by the node's whole identity; emptied by every Build so that no
    // entry outlives the element it names.
    std::unordered_map<const CWorldObject*, StreetElement*> lookup;
    int32_t lookupCount = 0; // entries inserted
};
extern CStreetNet StreetNet;

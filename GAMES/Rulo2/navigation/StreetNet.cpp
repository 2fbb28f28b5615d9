// The street network of the loaded world.
#include "GAMES/Rulo2/navigation/StreetNet.h"

#include <algorithm>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/navigation/StreetPieces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"

CStreetNet StreetNet;

namespace {

constexpr const char* kDashes = "--------------------------------------";

bool IsStreetPiece(const CWorldObject* node)
{
    const char* name = node->GetRefName();
    return name && NameStartsWith(name, "street_") && FindStreetPiece(name) >= 0;
}

// Depth first: a node, its children, then its next sibling.
void Collect(CWorldObject* first, std::vector<std::unique_ptr<StreetElement>>& out)
{
    for (CWorldObject* node = first; node; node = node->NextObject()) {
        if (IsStreetPiece(node)) {
            auto element = std::make_unique<StreetElement>();
            element->node = node;
            out.push_back(std::move(element));
        }
        Collect(node->FirstObject(), out);
    }
}

bool Shown(const CWorldObject* node)
{
    return GetVisibility(node) != 0;
}

} // namespace

void CStreetNet::Clear()
{
    lookup.clear();
    elements.clear();
}

void CStreetNet::Build(CWorldObject* root)
{
    if (!root)
        return;
    LogPrintf(kDashes);
    LogPrintf("starting street traversal");
    Clear();
    Collect(root, elements);
    for (auto& element : elements)
        if (lookup.emplace(element->node, element.get()).second)
            ++lookupCount;
    for (auto& element : elements) {
        for (const SConnection& c : element->node->connections) {
            StreetElement* target = Find(c.target);
            if (!target)
                continue;
            const float distance = float(c.distance);
            if (c.flag == 0)
                target->links.push_back({element.get(), distance});
            element->links.push_back({target, distance});
        }
    }
    LogPrintf("end");
    LogPrintf("(found %d elements", int(elements.size()));
    LogPrintf(kDashes);
}

StreetElement* CStreetNet::Find(const CWorldObject* node) const
{
    if (!node)
        return nullptr;
    auto it = lookup.find(node);
    return it == lookup.end() ? nullptr : it->second;
}

bool CStreetNet::RandomRoute(const CWorldObject* startNode, std::vector<StreetElement*>& route,
                             uint8_t oneWay)
{
    const uint32_t stamp = GameClock.frameTime;
    route.clear();
    StreetElement* start = Find(startNode);
    if (!start || !Shown(start->node) || start->links.empty())
        return false;
    const int passes = oneWay ? 1 : 2;
    for (int pass = 0; pass < passes; ++pass) {
        StreetElement* current = start;
        bool stop = false;
        while (current && !stop) {
            if (!Shown(current->node))
                stop = true;
            current->visitMark = stamp;
            route.push_back(current);
            // A piece that only others link to has no way on.
            const int32_t n = int32_t(current->links.size());
            if (n == 0)
                return false;
            int32_t k = int32_t(float(crt::rand()) / 32767.0f * float(n - 1) + 0.49f);
            k = std::clamp(k, 0, n - 1);
            if (current->links[size_t(k)].target->visitMark == stamp) {
                if (n - 1 < 1)
                    return false;
                int32_t tries = 0;
                do {
                    k = (k + 1) % n;
                    ++tries;
                } while (tries < n - 1 && current->links[size_t(k)].target->visitMark == stamp);
                if (current->links[size_t(k)].target->visitMark == stamp)
                    return false;
            }
            current = current->links[size_t(k)].target;
        }
        if (pass == 0 && !oneWay) {
            std::reverse(route.begin(), route.end());
            route.pop_back();
        }
    }
    return true;
}

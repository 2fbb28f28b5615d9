#include <strings.h>

#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/world/CNode.h"

bool IsInsideGroupHouse(const char* name)
{
    return name && (strncasecmp(name, "haus", 4) == 0 || strncasecmp(name, "Bld_", 4) == 0);
}

bool IsInsideGroupNode(const char* name)
{
    return name && (strcasecmp(name, "innen") == 0 || strcasecmp(name, "inside") == 0);
}

static void Classify(CNode* node, bool inHouse, bool inInside, SInsideOutside& r)
{
    const bool house = IsInsideGroupHouse(node->name);
    const bool inside = IsInsideGroupNode(node->name);
    if (house && !inHouse)
        ++r.houseGroups;
    if (inside && !inInside)
        ++r.insideGroups;
    inInside = inInside || inside;
    ++(inInside ? r.insideNodes : r.outsideNodes);
    for (CNode* c = node->firstChild; c; c = c->next)
        Classify(c, inHouse || house, inInside, r);
}

void ClassifyInsideOutside(CNode* root, SInsideOutside* record)
{
    if (!record)
        return;
    *record = SInsideOutside{};
    if (root)
        Classify(root, false, false, *record);
}

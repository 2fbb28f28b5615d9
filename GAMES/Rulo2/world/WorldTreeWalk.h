#pragma once
// The pre-order walk over world nodes that the world's passes and walkers share.
#include <type_traits>

#include "GAMES/Rulo2/world/CWorldObject.h"

// Visits `first`, its subtree, then its later siblings and theirs. A visit that
// returns a bool stops the whole walk by returning false; the walk then returns false.
template <class Visit>
bool WalkWorldTree(CWorldObject* first, Visit&& visit)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, CWorldObject*>>)
            visit(n);
        else if (!visit(n))
            return false;
        if (CWorldObject* c = n->FirstObject())
            if (!WalkWorldTree(c, visit))
                return false;
    }
    return true;
}

#pragma once
// The local search as written down, with linear look-ups in the open and
// closed lists: the reference that the indexed search must agree with (tests)
// and is measured beside (benchmark). Returns the path's cells from the goal
// back to the start, empty when there is none; `records` gets the number of
// records made.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/navigation/PathFinder.h"

namespace navtest {

inline std::vector<std::pair<int, int>> LiteralSearch(const std::vector<std::string>& rows, int sx, int sz,
                                                      int ex, int ez, int* records = nullptr)
{
    struct R
    {
        int x, z, parent, g, h, f;
    };
    std::vector<R> recs(1);
    std::vector<int> open, closed;
    auto make = [&](int x, int z, int g, int parent) {
        const float dx = float(x - ex), dz = float(z - ez);
        const int h = int(std::sqrt(dx * dx + dz * dz) * 1000.0f);
        recs.push_back({x, z, parent, g, h, g + h});
        return int(recs.size()) - 1;
    };
    auto insert = [&](int i) {
        size_t at = 0;
        while (at < open.size() && recs[size_t(open[at])].f >= recs[size_t(i)].f)
            ++at;
        open.insert(open.begin() + long(at), i);
    };
    insert(make(sx, sz, 0, 0));
    while (!open.empty()) {
        const int cur = open.back();
        open.pop_back();
        const R c = recs[size_t(cur)];
        if (records)
            *records = int(recs.size()) - 1;
        if (c.x == ex && c.z == ez) {
            std::vector<std::pair<int, int>> path;
            for (int i = cur; i > 0; i = recs[size_t(i)].parent)
                path.emplace_back(recs[size_t(i)].x, recs[size_t(i)].z);
            return path;
        }
        for (int d = 0; d < 8; ++d) {
            const int x = c.x + kNeighbourX[d], z = c.z + kNeighbourZ[d];
            if (rows[size_t(z)][size_t(x)] != ' ')
                continue;
            const int g = c.g + kStepCost[d];
            int known = 0;
            bool inOpen = false;
            for (int i : open)
                if (recs[size_t(i)].x == x && recs[size_t(i)].z == z) {
                    known = i;
                    inOpen = true;
                }
            if (!known)
                for (int i : closed)
                    if (recs[size_t(i)].x == x && recs[size_t(i)].z == z)
                        known = i;
            if (known) {
                R& r = recs[size_t(known)];
                if (r.g <= g)
                    continue;
                r.g = g;
                r.f = g + r.h;
                r.parent = cur;
                if (!inOpen) {
                    closed.erase(std::find(closed.begin(), closed.end(), known));
                    insert(known);
                }
                continue;
            }
            insert(make(x, z, g, cur));
        }
        closed.push_back(cur);
    }
    if (records)
        *records = int(recs.size()) - 1;
    return {};
}

} // namespace navtest

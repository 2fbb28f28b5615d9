#pragma once
// The lines the game's first start logs, in their order: the reset inside it, then the
// navigation data, the cars, the burglary and the objects.
#include <string>
#include <vector>

inline const std::vector<std::string> kFirstStartLogLines = {
    "Initializing game...",
    "Resetting game...",
    "Creating object-id table...",
    "Resetting variables...",
    "Unhiding world-objects...",
    "Resetting camera...",
    "Resetting inventory...",
    "Recalcing gang-members weight & speed...",
    "Resetting game complete.",
    "Deleting ground-maps...",
    "Checking for invalid connections...",
    "Calculating bounding boxes...",
    "Resetting object infos...",
    "Initializing available cars...",
    "Initializing burglary-task...",
    "Creating cross-references...",
    "Calculating anti-ground connections...",
    "Creating list of all characters in the world...",
    "Initializing dynamic characters engine...",
    "Initializing Tasks...",
    "Game initialization complete",
};

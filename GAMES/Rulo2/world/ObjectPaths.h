#pragma once
// World objects named by a path, as scripts and tools name them.

class CWorldObject;

// The world object a path names below `root`: components separated by '\', each the name of a
// node anywhere below the one before or, for an object placed without a name, its definition's
// name; the first match in tree order. Null when there is none.
CWorldObject* FindWorldObject(CWorldObject* root, const char* path);

#pragma once
// What the World Tree window asks of the terrain generator: "New Terrain..." on a
// group and the double click on a terrain.
class CWorldObject;

// Makes a terrain named `name` under `caretGroup`: the group's last child group of
// that name (compared without case) or a new group, holding a new terrain node
// with the default record as its first child. Returns the terrain node; null (and
// nothing changed) without a name or when `caretGroup` is no group. The tree items
// are the caller's.
CWorldObject* NewTerrain(CWorldObject* caretGroup, const char* name);
// The camera looks at the terrain and the Terrain Properties window is shown,
// brought to the top and bound to the terrain's record. Nothing for other nodes.
void OpenTerrainProperties(CWorldObject* node);

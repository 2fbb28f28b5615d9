#pragma once
// The world's share of the wiring.

// Fills the world's hooks that the world itself serves.
void InstallWorld();

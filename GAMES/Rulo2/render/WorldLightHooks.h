#pragma once
// World lights as device lights: every light node read, copied or pasted gets a
// CD3DLight of its own that carries its light block, set on the device but left
// switched off (the dynamic lighting copies the nearest ones into its slots).

// Points the world library's light hooks at the render engine.
void InstallWorldLightHooks();

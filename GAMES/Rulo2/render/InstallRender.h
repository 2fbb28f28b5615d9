#pragma once
// The render engine's share of the wiring.

// Fills the hooks the render engine serves: the world file's texture pages
// through the texture-page code, the device's sphere test for the visibility
// collection, the loading screen's pictures. Tools without a device leave it out, so that the world file's
// texture pages are kept as their bytes.
void InstallRender();

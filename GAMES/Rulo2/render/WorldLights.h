#pragma once
// World lights as device lights: every light node read, copied or pasted gets a
// CD3DLight of its own that carries its light block, set on the device but left
// switched off (the dynamic lighting copies the nearest ones into its slots).

class CD3DLight;
struct SWorldLight;

// The device light of a light that was just read or copied, already set on the device.
CD3DLight* CreateWorldDeviceLight(const SWorldLight& light);
// After the light node moved or turned: the device light follows.
void WorldLightChanged(SWorldLight& light);

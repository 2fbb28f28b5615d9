#pragma once
// Fills the hooks the in-game screens serve for other subsystems.
void InstallInterface();

#pragma once
// Connects the start-up steps and the game step to the subsystems that exist.

void InstallSubsystemHooks();

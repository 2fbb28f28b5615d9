#pragma once
// Fills the hooks through which the game step reaches navigation.
void InstallNavigation();

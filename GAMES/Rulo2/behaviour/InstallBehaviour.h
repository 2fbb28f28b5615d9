#pragma once
// The behaviour's share of the wiring: the game step's object step, the frame
// passes' animation step and activation.
void InstallBehaviour();

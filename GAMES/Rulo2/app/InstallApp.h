#pragma once
// The shell's share of the wiring: the game step, the frame loop and the
// dropped files call the subsystems that exist.

// Fills the shell's hooks.
void InstallApp();
// Every subsystem's install function in start-up order (world, render, shell):
// the program, the tools that draw, the benchmarks and the tests call this.
void InstallSubsystems();
// The drawing of the editor's tool windows and menus over the 3-D view: the
// programs that show windows call it after InstallSubsystems (a file of its own,
// so the tools, which draw no windows, link none of it).
void InstallWindowDrawing();

// After a world was loaded at start-up or dropped: vertex buffers and the world bounds.
void AfterWorldLoaded();
// Every texture page and texture (editor shut-down).
void DeleteAllTextures();

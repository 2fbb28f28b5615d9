#pragma once
// Numbered screenshots of the back buffer, one per frame while the main loop
// records with its fixed step, to be joined into a film later.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/render/RenderGlobals.h"

// At 32 bits per pixel: writes "c:\snapshot%05d.bmp" (in the program's folder)
// with the counter, counts it and returns true; at other depths nothing.
bool WriteSnapshot();
// The same picture under a number of the caller's (a scripted run's frame
// number); the counter stays.
bool WriteSnapshot(int32_t number);
// The back buffer as a bitmap file: 24-bit pixels from a 32-bit display, 16-bit
// pixels from a 16-bit one, rows padded to 4 bytes. False with a log line when
// the depth is not supported, the buffer cannot be read or the file not
// written; a failed write leaves no partial file behind.
bool WriteBmpFile(const char* name);
// The native path a snapshot number is written to.
std::string SnapshotPath(int32_t number);

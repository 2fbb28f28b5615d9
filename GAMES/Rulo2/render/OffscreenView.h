#pragma once
// A device without a visible window for tools, tests and benchmarks: a hidden
// OpenGL window, a back surface with a z-buffer and the device in DX, in the
// start state the game's device set-up gives (projection, depth test, lights).
#include <cstdint>
#include <string>

bool OpenOffscreenView(int width, int height);
void CloseOffscreenView();
// The back surface as a 24-bit BMP file; false with `error` set when it cannot be written.
bool SaveBackSurfaceBMP(const std::string& path, std::string* error = nullptr);

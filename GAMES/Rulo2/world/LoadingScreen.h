#pragma once
// The loading screen: called before every chunk while a world loads. It keeps
// the window answering (one pending message per call) and, in the game, draws
// the picture and the progress bar once the device can.
#include <cstddef>
#include <cstdint>

class CChunkReader;

// Starts a load of `total` bytes; the reader's offset gives the progress.
void BeginLoadingScreen(const CChunkReader* file, size_t total);
// Releases the pictures and resets the shown picture.
void EndLoadingScreen();
void UpdateLoadingScreen();
// Picture id (0 none) and its placement in percent; redraws at most every 100 ms.
void DrawLoadingScreen(int picture, int placement);
// The picture that the elapsed load time asks for (598, 595, 594 or 0).
int LoadingPictureFor(int64_t elapsedMs);

struct SLoadingScreenHooks
{
    // Takes one pending window message; the default goes to the platform layer.
    void (*pumpMessage)() = nullptr;
    // Draws picture (0 none) at placement percent and the bar picture 599
    // filled to `fraction`, then presents; set once the device and the
    // interface quad exist.
    void (*draw)(int picture, int placement, float fraction) = nullptr;
    // Loads the picture and the bar picture (when the shown picture changes).
    void (*load)(int picture) = nullptr;
    // Releases the picture surfaces.
    void (*release)() = nullptr;
    // Milliseconds since an arbitrary start.
    int64_t (*clock)() = nullptr;
};
extern SLoadingScreenHooks LoadingScreenHooks;

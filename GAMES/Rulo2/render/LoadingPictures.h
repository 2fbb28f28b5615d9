#pragma once
// The loading screen as the render engine draws it: a picture of the program's
// resources centred across the screen at a height in percent, and the progress
// bar (picture 599) below it, on black.

// Loads the picture (0: none) and the bar picture.
void LoadLoadingPictures(int picture);
void ReleaseLoadingPictures();
// Draws the screen with the bar filled to `fraction` (0..1) and presents it.
void DrawLoadingPictures(int picture, int placement, float fraction);
// Shows the back surface: copied into the window, or flipped in full screen.
void PresentLoadingFrame();

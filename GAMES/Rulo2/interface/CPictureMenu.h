#pragma once
// A framed window on the interface layer whose rectangle the 3-D view is drawn into. It never
// closes by itself: Render always returns -1 and the game step closes it.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenu.h"

class CPictureMenu : public CMenu
{
public:
    CPictureMenu() = default;

    // The caller has emptied the elements.
    void Build(int32_t now, MenuPoint topLeft, MenuPoint bottomRight);
    // Draws the frame and hands its rectangle to the world drawing.
    int32_t Render(int32_t now) override;

    MenuPoint topLeft{0, 0}, bottomRight{0, 0};
    int32_t frameIndex = -2;
    int32_t lastTime = 0;
};

extern CPictureMenu PictureMenu;

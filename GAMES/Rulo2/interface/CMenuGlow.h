#pragma once
// The framed box of the interface: a gradient-filled quad with a thin gold
// border that fades in on "start", out on "end" and may wobble gently.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenuQuad.h"

class CMenuGlow : public CMenuQuad
{
public:
    explicit CMenuGlow(CMenu* owner);

    // (Re)builds the "end", "start" and "none" tracks; plays none of them.
    void Setup(Corner topLeft, Colour colourTopLeft, Corner bottomRight, Colour colourBottomRight);
    // A diagonal gradient: corner 0 one colour, corner 2 the other, the sides
    // their midpoint. The texture fields are left as they are.
    static void MakeGradientKey(QuadKey& key, Corner topLeft, Colour colourTopLeft, Corner bottomRight,
                                Colour colourBottomRight);

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override;

    float phase = 0.0f;
    uint8_t wobble = 0;

private:
    enum class Halo
    {
        None,
        Bright,
        Swapped
    };
    void DrawBox(int32_t time, Halo halo);
};

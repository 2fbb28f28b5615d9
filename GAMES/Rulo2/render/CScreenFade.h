#pragma once
// The full-screen fade laid over the finished frame, blending from one RGBA
// colour to another, with the follow-up command the game step runs when it has
// arrived; and the drop shadow of a character on the surfaces it stands on.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CBox.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

class CRootNode;
class CTexture;
class CWorldObject;

class CScreenFade
{
public:
    // duration below 0 means 400 ms. Returns delayFrames.
    int32_t Start(const float from[4], const float to[4], int32_t duration, bool stopAtEnd,
                  int32_t delayFrames);
    void Update();
    bool IsFinished() const { return framesAtEnd > 1; }
    int32_t GetFollowUp() const { return followUp; }
    // The colour drawn by the last update.
    const float* LastColour() const { return colour; }

    int32_t followUp = 0;
    int32_t delayFrames = 0;
    float from[4] = {};
    float to[4] = {};
    int32_t duration = 400;
    int32_t startTime = 0;
    uint8_t stopAtEnd = 0;
    int32_t framesAtEnd = 0;
    uint8_t running = 0;

private:
    float colour[4] = {};
};
extern CScreenFade ScreenFade;

class CDropShadow
{
public:
    CDropShadow();
    ~CDropShadow();
    void Draw(const CVector& centre, CWorldObject* object);
    void CastOnModel(CRootNode* model, const CMatrix& matrix);

    float halfSize = 0.15f;
    CTexture* texture = nullptr;
    CVector centre{0, 0, 0};
    CBox box = CBox::Empty;
    CVector corners[4];
    std::vector<float> scratch; // saved second texture pairs
};
extern CDropShadow DropShadow;

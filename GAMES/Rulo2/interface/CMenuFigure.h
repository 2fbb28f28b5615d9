#pragma once
// A 3-D model inside a menu: placed at a screen point, scaled, turned and
// offset, playing one of its animations by name, fainter when highlighted or
// active. Its track animates the transform and the alpha, each group only
// where a key says so.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"
#include "LIBS/System/CMatrix.h"

class CRootNode;

struct FigureState
{
    float scale[3] = {1.0f, 1.0f, 1.0f};
    float rotation[3] = {0.0f, 0.0f, 0.0f}; // radians about x, y, z
    float position[2] = {0.0f, 0.0f};       // interface coordinates, y up
    float offset[3] = {0.0f, 0.0f, 0.0f};
    float pivot[3] = {0.0f, 0.0f, 0.0f};
    float alpha = 1.0f;
    int32_t material = 0; // 0: none
};

// One key: each group of FigureState with a byte saying whether it applies.
struct FigureKey
{
    FigureState value;
    uint8_t hasScale = 0, hasRotation = 0, hasPosition = 0, hasOffset = 0, hasPivot = 0, hasAlpha = 0,
            hasMaterial = 0;
};

class CFigureTrack : public CKeyTrack<FigureKey>
{
public:
    explicit CFigureTrack(CMenu* owner) : CKeyTrack(owner) {}
    void Interpolate(int32_t local, int32_t from, int32_t to, void* target) override;
};

// The box of a model drawn by the interface camera (from (0, 0, -2)) with a world matrix,
// in screen-relative units (y down): left, top, right, bottom. False when a corner lies
// behind the eye.
bool InterfaceModelScreenBox(const CRootNode* model, const CMatrix& world, float box[4]);

// A key that sets only the alpha.
FigureKey AlphaKey(float alpha);

class CMenuFigure : public CMenuElement
{
public:
    explicit CMenuFigure(CMenu* owner);

    void Setup(CRootNode* model, MenuPoint position, float size, int32_t materialOverride, uint8_t noSnapper,
               bool startTrack);
    // Lowers a model with a "snapperShape" locator by 0.15 (times its scale on
    // screen) unless the byte is set.
    void PlaceOnSnapper(uint8_t noSnapperByte);

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override;
    bool HitTest(const Point* point) override;
    // Drawn as DrawNormal, then once more in the given glow colour.
    void DrawOverlay(int32_t time, const float colour[3]);

    // Scale, pivot, rotation about y then z then x, offset.
    CMatrix Transform() const;
    // The screen point the model is drawn at (y up).
    MenuPoint ScreenPoint() const;
    float AnimationTime() const;

    CRootNode* model = nullptr; // not owned
    std::string currentAnimation;
    float animationSpeed = 1.0f;
    FigureState state;
    std::string walkName = "WALK", idleName = "RELAX", lyingName = "LYING_BACK";
    float snapperOffset[3] = {0, 0, 0};
    uint8_t noSnapper = 0;
    int32_t partOverride = -1;

private:
    void Draw(int32_t time, float alphaFactor, bool highlighted);
};

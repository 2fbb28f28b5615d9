#pragma once
// A named point of a model; locators named "snapper..." are snap points.
#include "GAMES/Rulo2/Model.h"

class CLocatorNode : public CModelNode
{
public:
    explicit CLocatorNode(const char* name = nullptr);

    // The first seven characters of the name are "snapper", in any case.
    bool IsSnapper() const;

    size_t Describe(char* text, size_t size) override;
    // The editor's marker at the position: only in the editor, while the
    // locator display is on and the current model view does not hide it.
    void DrawMarker() const;

    // The world matrix of the last UpdateWorldMatrix; its translation is the position.
    CMatrix worldMatrix = CMatrix::Identity;

protected:
    void OnUpdateWorldMatrix(const CMatrix& parentWorld, float time) override;
    void OnCountLocators(int32_t& all, int32_t& snappers) override;
    void OnCollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                                int32_t& back, int32_t& front) override;
};

#pragma once
// The Material Manager window: the materials of the mesh selected in the Model
// Tree, with colour, blend mode and texture mapping. Every change goes into the
// material at once and the model's derived data are rebuilt.
#include "GAMES/Rulo2/editor/ToolWindows.h"

class CMeshNode;
struct CMeshMaterial;

class MaterialManagerDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 205,
        IDC_RESET = 1037,
        IDC_FLIP_H = 1038,
        IDC_FLIP_V = 1039,
        IDC_ROTATE = 1040,
        IDC_STRETCH_H = 1041,
        IDC_STRETCH_V = 1042,
        IDC_STRETCH_H_EDIT = 1045,
        IDC_STRETCH_V_EDIT = 1046,
        IDC_MATERIAL = 1055,
        IDC_RED = 1056,
        IDC_GREEN = 1057,
        IDC_BLUE = 1058,
        IDC_ALPHA = 1059,
        IDC_BLEND = 1068,
        IDC_REMOVE_TEXTURE = 1071,
    };
    static constexpr int kSliderMin = -19, kSliderMax = 19;

    MaterialManagerDlg();

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnHScroll(int id, int code, int position) override;
    void OnEditDone(int id) override;

    // With `reselect` the mesh is taken again from the Model Tree's selection and
    // its first material shown.
    void Refresh(bool reselect);

    // Slider position and stretch, each way.
    static float StretchFromSlider(int position);
    static int SliderFromStretch(float stretch);

    CMeshNode* Mesh() const { return mesh_; }
    int MaterialIndex() const { return material_; }
    // The material shown (null: none).
    CMeshMaterial* Material() const;
    // A mesh that goes away (null: any, the current model changes): the window lets go of it.
    void Forget(const CMeshNode* mesh);

    float stretchU = 1.0f, stretchV = 1.0f;
    int rotation = 0;
    bool flipU = false, flipV = false;
    int blendMode = 0;
    float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;

private:
    // The mapping written into the material and the coordinates fitted again.
    void WriteMapping();
    void ShowMapping(bool enable);
    void ResetMapping();
    void SetRotateText();
    // The model's derived data after a change of a material.
    void Rebuilt();

    CMeshNode* mesh_ = nullptr;
    int material_ = 0;
};

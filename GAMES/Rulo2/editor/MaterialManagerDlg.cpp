#include "GAMES/Rulo2/editor/MaterialManagerDlg.h"

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/crt/Crt.h"

#include <cmath>
#include <cstdlib>
#include <string>

using platform::ui::ControlKind;

namespace {

const int kColourEdits[] = {MaterialManagerDlg::IDC_RED, MaterialManagerDlg::IDC_GREEN,
                            MaterialManagerDlg::IDC_BLUE, MaterialManagerDlg::IDC_ALPHA};
const int kMappingControls[] = {
    MaterialManagerDlg::IDC_STRETCH_H,      MaterialManagerDlg::IDC_STRETCH_V,
    MaterialManagerDlg::IDC_STRETCH_H_EDIT, MaterialManagerDlg::IDC_STRETCH_V_EDIT,
    MaterialManagerDlg::IDC_FLIP_H,         MaterialManagerDlg::IDC_FLIP_V,
    MaterialManagerDlg::IDC_ROTATE,         MaterialManagerDlg::IDC_RESET};

std::string FloatText(float value)
{
    return crt::Format("%g", double(value));
}

// An edit's number; `fallback` when it does not read as one.
float ReadFloat(const std::string& text, float fallback)
{
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    return end == text.c_str() || !std::isfinite(value) ? fallback : value;
}

CMeshNode* AsMesh(CModelNode* node)
{
    return node && node->modelKind == CModelNode::KIND_MESH ? static_cast<CMeshNode*>(node) : nullptr;
}

} // namespace

MaterialManagerDlg::MaterialManagerDlg()
    : CToolWindow(IDD, "MaterialManagerDlg", "Material Manager", false, "ShowMaterialManager",
                  &g_ShowMaterialManager, 230, 360)
{
}

bool MaterialManagerDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    AddControl(ControlKind::ComboBox, IDC_MATERIAL, "", 8, 8, 210, 22);
    AddControl(ControlKind::Static, 1047, "Material Color", 8, 38, 200, 18);
    AddControl(ControlKind::Static, 1064, "Color:", 8, 58, 60, 18);
    static const char* const kLabels[] = {"Red", "Green", "Blue", "Alpha"};
    for (int i = 0; i < 4; ++i) {
        AddControl(ControlKind::Static, 1060 + i, kLabels[i], 8 + 52 * i, 78, 50, 16);
        AddControl(ControlKind::Edit, kColourEdits[i], "1", 8 + 52 * i, 96, 48, 22);
    }
    AddControl(ControlKind::Static, 1070, "Blend Mode:", 8, 126, 80, 18);
    AddControl(ControlKind::ComboBox, IDC_BLEND, "", 90, 124, 128, 22);
    AddControl(ControlKind::Static, 1048, "UV Mapping", 8, 156, 200, 18);
    AddControl(ControlKind::Static, 1049, "Stretch", 8, 174, 200, 18);
    AddControl(ControlKind::Static, 1050, "Horizontal:", 8, 194, 70, 18);
    for (int i = 0; i < 2; ++i) {
        platform::ui::Control& slider =
            AddControl(ControlKind::Slider, i ? IDC_STRETCH_V : IDC_STRETCH_H, "", 80, 192 + 24 * i, 90, 20);
        slider.rangeLow = kSliderMin;
        slider.rangeHigh = kSliderMax;
        AddControl(ControlKind::Edit, i ? IDC_STRETCH_V_EDIT : IDC_STRETCH_H_EDIT, "1", 174, 192 + 24 * i, 44,
                   22);
    }
    AddControl(ControlKind::Static, 1051, "Vertical:", 8, 218, 70, 18);
    AddControl(ControlKind::CheckBox, IDC_FLIP_H, "Flip Horizontally", 8, 246, 200, 20);
    AddControl(ControlKind::CheckBox, IDC_FLIP_V, "Flip Vertically", 8, 268, 200, 20);
    AddControl(ControlKind::Button, IDC_ROTATE, "Rotate 90 Degrees (0 Degrees)", 8, 292, 210, 22);
    AddControl(ControlKind::Button, IDC_RESET, "Reset To Default", 8, 318, 100, 22);
    AddControl(ControlKind::Button, IDC_REMOVE_TEXTURE, "Remove Texture", 112, 318, 106, 22);
    Refresh(true);
    return true;
}

float MaterialManagerDlg::StretchFromSlider(int p)
{
    return p >= 0 ? float(p + 1) : 1.0f / float(1 - p);
}

int MaterialManagerDlg::SliderFromStretch(float s)
{
    if (s >= 1.0f)
        return int(s - 1.0f);
    if (s <= 0.0f)
        return kSliderMin;
    return int(-(1.0f / s - 1.0f));
}

CMeshMaterial* MaterialManagerDlg::Material() const
{
    return mesh_ && material_ >= 0 && material_ < mesh_->materialCount ? &mesh_->materials[material_]
                                                                       : nullptr;
}

void MaterialManagerDlg::Forget(const CMeshNode* mesh)
{
    if (mesh_ && (!mesh || mesh == mesh_)) {
        mesh_ = nullptr;
        Refresh(false);
    }
}

void MaterialManagerDlg::Refresh(bool reselect)
{
    platform::ui::Control* combo = GetDlgItem(IDC_MATERIAL);
    if (!combo)
        return;
    if (reselect) {
        CModelNode* shape = nullptr;
        CModelNode* node = g_ModelTreeDlg ? g_ModelTreeDlg->Selected(&shape) : nullptr;
        mesh_ = AsMesh(shape ? shape : node);
        material_ = 0;
        combo->list.clear();
        for (int i = 0; mesh_ && i < mesh_->materialCount; ++i)
            combo->list.push_back(crt::Format("Material #%d", i + 1));
        combo->selection = combo->list.empty() ? -1 : 0;
        combo->text = combo->list.empty() ? std::string() : combo->list[0];
    }
    CMeshMaterial* m = Material();
    EnableDlgItem(IDC_MATERIAL, m != nullptr);
    EnableDlgItem(IDC_BLEND, m != nullptr);
    for (int id : kColourEdits)
        EnableDlgItem(id, m != nullptr);
    if (!m) {
        blendMode = 0;
        red = green = blue = alpha = 1.0f;
    } else {
        blendMode = m->transparency;
        if (m->surface) {
            red = m->surface->colour[0];
            green = m->surface->colour[1];
            blue = m->surface->colour[2];
            alpha = m->surface->colour[3];
        }
        EnableDlgItem(IDC_ALPHA, blendMode == 1);
    }
    if (platform::ui::Control* blend = GetDlgItem(IDC_BLEND))
        blend->selection = blendMode;
    const float colour[] = {red, green, blue, alpha};
    for (int i = 0; i < 4; ++i)
        SetDlgItemText(kColourEdits[i], FloatText(colour[i]));

    if (m && mesh_->MaterialHasTexCoords(material_)) {
        stretchU = m->scaleU;
        stretchV = m->scaleV;
        flipU = m->flipU != 0;
        flipV = m->flipV != 0;
        rotation = m->rotations & 3;
        ShowMapping(true);
    } else {
        ResetMapping();
        ShowMapping(false);
    }
    if (m && m->texture) {
        EnableDlgItem(IDC_REMOVE_TEXTURE, true);
        SetDlgItemText(IDC_REMOVE_TEXTURE, crt::Format("Remove Texture ('%s')", m->texture->name.c_str()));
    } else {
        EnableDlgItem(IDC_REMOVE_TEXTURE, false);
        SetDlgItemText(IDC_REMOVE_TEXTURE, "Remove Texture");
    }
}

void MaterialManagerDlg::SetRotateText()
{
    SetDlgItemText(IDC_ROTATE, crt::Format("Rotate 90 Degrees (%d Degrees)", rotation * 90));
}

void MaterialManagerDlg::ShowMapping(bool enable)
{
    for (int id : kMappingControls)
        EnableDlgItem(id, enable);
    if (platform::ui::Control* c = GetDlgItem(IDC_STRETCH_H))
        c->position = SliderFromStretch(stretchU);
    if (platform::ui::Control* c = GetDlgItem(IDC_STRETCH_V))
        c->position = SliderFromStretch(stretchV);
    SetDlgItemText(IDC_STRETCH_H_EDIT, FloatText(stretchU));
    SetDlgItemText(IDC_STRETCH_V_EDIT, FloatText(stretchV));
    if (platform::ui::Control* c = GetDlgItem(IDC_FLIP_H))
        c->check = flipU ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
    if (platform::ui::Control* c = GetDlgItem(IDC_FLIP_V))
        c->check = flipV ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
    SetRotateText();
}

void MaterialManagerDlg::ResetMapping()
{
    stretchU = stretchV = 1.0f;
    rotation = 0;
    flipU = flipV = false;
    WriteMapping();
}

void MaterialManagerDlg::Rebuilt()
{
    if (CRootNode* model = ModelTreeDlg::Model())
        model->Refresh();
}

void MaterialManagerDlg::WriteMapping()
{
    CMeshMaterial* m = Material();
    if (!m)
        return;
    if (m->scaleU == stretchU && m->scaleV == stretchV && m->rotations == rotation &&
        (m->flipU != 0) == flipU && (m->flipV != 0) == flipV)
        return;
    m->scaleU = stretchU;
    m->scaleV = stretchV;
    m->rotations = rotation;
    m->flipU = flipU ? 1 : 0;
    m->flipV = flipV ? 1 : 0;
    mesh_->RestoreTexCoords(*m);
    mesh_->ApplyTexTransform(*m);
    if (m->page)
        mesh_->FitTexCoordsToPage(*m);
    Rebuilt();
}

void MaterialManagerDlg::OnHScroll(int id, int code, int position)
{
    if ((id != IDC_STRETCH_H && id != IDC_STRETCH_V) || code == platform::ui::SB_ENDSCROLL)
        return;
    const platform::ui::Control* slider = GetDlgItem(id);
    const float stretch = StretchFromSlider(slider ? slider->position : position);
    (id == IDC_STRETCH_H ? stretchU : stretchV) = stretch;
    SetDlgItemText(id == IDC_STRETCH_H ? IDC_STRETCH_H_EDIT : IDC_STRETCH_V_EDIT, FloatText(stretch));
    WriteMapping();
}

void MaterialManagerDlg::OnEditDone(int id)
{
    if (id == IDC_STRETCH_H_EDIT || id == IDC_STRETCH_V_EDIT) {
        const bool horizontal = id == IDC_STRETCH_H_EDIT;
        float stretch = ReadFloat(GetDlgItemText(id), 1.0f);
        if (stretch <= 0.0f)
            stretch = 1.0f;
        (horizontal ? stretchU : stretchV) = stretch;
        if (platform::ui::Control* slider = GetDlgItem(horizontal ? IDC_STRETCH_H : IDC_STRETCH_V))
            slider->position = std::clamp(SliderFromStretch(stretch), int(kSliderMin), int(kSliderMax));
        WriteMapping();
        return;
    }
    for (int edit : kColourEdits) {
        if (edit != id)
            continue;
        float* values[] = {&red, &green, &blue, &alpha};
        for (int i = 0; i < 4; ++i)
            *values[i] = ReadFloat(GetDlgItemText(kColourEdits[i]), *values[i]);
        CMeshMaterial* m = Material();
        if (!m || !m->surface)
            return;
        for (int block = 0; block < 2; ++block) {
            m->surface->colour[4 * block + 0] = red;
            m->surface->colour[4 * block + 1] = green;
            m->surface->colour[4 * block + 2] = blue;
            m->surface->colour[4 * block + 3] = alpha;
        }
        Rebuilt();
        return;
    }
}

bool MaterialManagerDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_MATERIAL:
        if (const platform::ui::Control* combo = GetDlgItem(IDC_MATERIAL); combo && combo->selection >= 0) {
            material_ = combo->selection;
            Refresh(false);
        }
        return true;
    case IDC_BLEND:
        if (CMeshMaterial* m = Material()) {
            blendMode = std::max(GetDlgItem(IDC_BLEND)->selection, 0);
            m->transparency = blendMode;
            EnableDlgItem(IDC_ALPHA, blendMode == 1);
            Rebuilt();
        }
        return true;
    case IDC_ROTATE:
        rotation = (rotation + 1) % 4;
        SetRotateText();
        WriteMapping();
        return true;
    case IDC_FLIP_H:
    case IDC_FLIP_V:
        (id == IDC_FLIP_H ? flipU : flipV) = GetDlgItem(id)->check == platform::ui::BST_CHECKED;
        WriteMapping();
        return true;
    case IDC_RESET:
        ResetMapping();
        ShowMapping(Material() && mesh_->MaterialHasTexCoords(material_));
        return true;
    case IDC_REMOVE_TEXTURE:
        if (CMeshMaterial* m = Material(); m && m->texture) {
            --m->texture->useCount;
            m->texture = nullptr;
            m->textureName.clear();
            m->page = nullptr;
            m->pageNumber = -1;
            m->pageEntry = -1;
            m->entryRect[0] = m->entryRect[1] = 0;
            m->entryRect[2] = m->entryRect[3] = 256;
            mesh_->RestoreTexCoords(*m);
            mesh_->ApplyTexTransform(*m);
            Rebuilt();
            Refresh(false);
        }
        return true;
    default:
        return CToolWindow::OnCommand(id);
    }
}

#pragma once
// The attack points of a model: the places around it from which a character works
// on the object, each {x, y, z, angle} in the model's own coordinates. The small
// modeless dialog lists, adds, removes, copies and mirrors them; the Model View
// places and turns the selected one while the dialog is open.
#include "LIBS/System/CVector.h"
#include "platform/ui/Ui.h"

#include <cstdint>
#include <memory>

class CModelEntry;
struct SModelPoint;

// The point the view shows as selected (-1: none); it keeps its value after the dialog closed.
extern int32_t SelectedAttackPoint;
// Set while the dialog is open (the view's attack-point mode), the second with it.
extern bool AttackPointMode, AttackPointModeView;

class AttackPointsDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 400;
    static constexpr int kList = 1270, kAdd = 1271, kRemove = 1272, kMirror = 1273, kCopy = 1274;

    explicit AttackPointsDlg(CModelEntry* model);

    // Centred over the parent and shown without the focus; the Model List and Model
    // Tree are disabled, both flags set, no point selected, the list filled.
    void Open(platform::HWND parent);
    // "AttackPoint #%d" per point; the list keeps no selection.
    void Refill();
    CModelEntry* Model() const { return model_; }

    bool OnCommand(int id) override;
    // Enter, Esc and the close box end the dialog.
    void OnOK() override { DestroyWindow(); }
    void OnCancel() override { DestroyWindow(); }
    void OnDestroy() override;

private:
    CModelEntry* model_;
};

// The one dialog (null: never opened); it stays after closing until the next opens.
extern std::unique_ptr<AttackPointsDlg> g_AttackPointsDlg;

// "Edit AttackPoints...": the dialog for `model` unless one is open or there is no model.
bool OpenAttackPointsDialog(CModelEntry* model, platform::HWND parent);
// Whether the dialog is open now.
bool AttackPointDialogOpen();

// The selected point of the open dialog's model, null when there is none.
SModelPoint* SelectedAttackPointData();
// Space in attack-point mode: the selected point gets a random multiple of 90 degrees.
bool TurnAttackPointRandomly();
// Drags 9 and 10: the point's place and angle are kept at the start; false without a point.
bool BeginAttackPointDrag();
void MoveAttackPointBy(const CVector& offset);
void TurnAttackPointBy(float angle);
// Drag 6, with no point selected: the frame or joint that holds the mesh drawn at the
// view's pixel (x, y) of the open dialog's model, its translation kept at the start;
// false when no such node is there. Moves go along the model's own axes, as the
// points' do.
bool BeginModelNodeDrag(int x, int y);
void MoveModelNodeBy(const CVector& offset);

// The open dialog's points in the editor view, the selected one highlighted.
void DrawAttackPointMarkers();

// Mirrors one point through the model's vertical axis: x and z negated, half a turn added.
void MirrorAttackPoint(float point[4]);

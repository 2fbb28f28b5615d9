#pragma once
// The Object Properties window: the game data of one object, either an object
// model's defaults (what every placed copy starts with) or one placed object's
// own. It edits the kind and the kind's fields, and decides whether a placed
// object keeps data of its own or follows its model ("Reset To Default").
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <string>

class CKindData;
class CKindState;
class CNode;
class CObjectLogic;
class CObjectNode;
class CWorldObject;

class ObjectPropertiesDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 340,
        IDC_KIND = 1107,
        IDC_NAME = 1149,
        IDC_STORY = 1133,
        IDC_CLICKABLE = 1109,
        IDC_PROCESS_VISIBLE = 1367,
        IDC_PROCESS_ALWAYS = 1373,
        IDC_DIALOGS = 1273,
        IDC_RESET = 1111,
        IDC_SHOW_TASK_LIST = 1110,
    };
    static constexpr int kWidth = 390, kHeight = 290;
    // The panels lie side by side in the layout and share one place once shown.
    static constexpr int kPanelStep = 300;

    ObjectPropertiesDlg();

    bool OnInitDialog() override;
    bool OnCommand(int id) override;

    // Binds an object: a placed one (`node`, whose definition is the model when
    // `model` is null) or a model's defaults (`node` null). All null: unbound.
    void SetObject(CObjectLogic* logic, CWorldObject* node, CObjectNode* model);
    // "Reset To Default" shown with a placed object, enabled when its model has
    // default data and the object's data are its own.
    void UpdateResetButton();

    CObjectLogic* Logic() const { return logic_; }
    CWorldObject* WorldNode() const { return node_; }
    CObjectNode* Model() const { return model_; }
    // The kind shown, -1 while unbound.
    int Kind() const { return kind_; }
    // The panel of a kind is shown (its controls visible).
    bool PanelShown(int kind) const;
    // Whether the object's data are its own (the logic's modified flag).
    bool Modified() const;

    // A node or definition that goes away: the window lets go of it first.
    void Forget(const CNode* node);
    // After an edit of the object's data (its tasks too): the data are its own.
    void MarkModified();

private:
    void Bind();
    void ClearAll();
    void EnableAll(bool enable);
    void ShowPanel(int kind);
    void ToControls();
    // A field's control changed: the value read back and stored when it differs.
    void FieldChanged(int id);
    void CommonChanged(int id);
    void KindChanged();
    void ResetToDefault();
    void ShowTaskList();
    void EditDialogs();
    CKindData* Data() const;
    CKindState* State() const;

    CObjectLogic* logic_ = nullptr;
    CWorldObject* node_ = nullptr;
    CObjectNode* model_ = nullptr;
    int kind_ = -1;
};

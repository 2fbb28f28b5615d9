#include "GAMES/Rulo2/editor/EditorCurrent.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/render/WorldLights.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

CModelEntry* CurrentModel = nullptr;
CObjectNode* CurrentObject = nullptr;
CObjectState* CurrentState = nullptr;
CMacro* CurrentMacro = nullptr;
int32_t CurrentLight = 0;
bool ObjectPropertiesLock = false;

namespace {

void SetCurrent(int32_t light, CModelEntry* model, CObjectNode* object, CObjectState* state, CMacro* macro)
{
    CurrentLight = light;
    CurrentModel = model;
    CurrentObject = object;
    CurrentState = state;
    CurrentMacro = macro;
    // The material and texture windows work on the current model.
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Forget(nullptr);
    if (g_TextureManagerDlg)
        g_TextureManagerDlg->Refresh();
}

void SelectInModelList(uint32_t item)
{
    if (g_ModelListDlg && item)
        g_ModelListDlg->tree.platform::ui::TreeCtrl::SelectItem(item, platform::ui::TreeAction::Unknown);
}

void EmptyModelTree()
{
    if (g_ModelTreeDlg)
        g_ModelTreeDlg->tree.deleteAllItems(false);
}

// A selection with "place": the preview shows the current entry, centred on its points,
// and the world's selection is given up.
void FillPreview()
{
    if (!g_PreviewRoot)
        return;
    g_PreviewRoot->DeleteChildren();
    g_PreviewRoot->position = CVector(0, 0, 0);
    if (CurrentLight) {
        auto* shown = new CWorldObject(CurrentLight == 1 ? "Spot" : "Point");
        SWorldLight* light = shown->MakeLight();
        light->light.dltType = CurrentLight == 1 ? D3DLIGHT_SPOT : D3DLIGHT_POINT;
        light->light.dcvDiffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        light->deviceLight = CreateWorldDeviceLight(*light);
        g_PreviewRoot->AddChild(shown);
    } else if (CurrentMacro && CurrentMacro->content) {
        WorldWalk::CopyTree(CurrentMacro->content, g_PreviewRoot, true, false);
    } else if (CurrentModel || (CurrentObject && CurrentObject->firstState)) {
        auto* shown = new CWorldObject(CurrentModel ? CurrentModel->GetName() : CurrentObject->name);
        shown->objectKind = CurrentModel ? CWorldObject::KIND_MODEL : CWorldObject::KIND_OBJECT;
        shown->reference =
            CurrentModel ? static_cast<void*>(CurrentModel) : static_cast<void*>(CurrentObject);
        g_PreviewRoot->AddChild(shown);
    }
    CWorldObject* first = g_PreviewRoot->FirstObject();
    if (!first)
        return;
    if (g_WorldRoot && WorldWalk::HasSelection(g_WorldRoot)) {
        WorldWalk::ClearSelection(g_WorldRoot);
        if (g_WorldTreeDlg)
            g_WorldTreeDlg->Redraw();
    }
    if (CurrentLight)
        return;
    CVector sum(0, 0, 0);
    int32_t count = 0;
    WorldWalk::SumPositions(first, sum, count, false);
    if (count == 0)
        return;
    const CVector mean = sum * (1.0f / float(count));
    WorldWalk::Move(first, -mean.x, -mean.y, -mean.z, false);
}

} // namespace

bool EditorSelectLight(int32_t index, bool place)
{
    if (index != 1 && index != 2)
        return false;
    SetCurrent(index, nullptr, nullptr, nullptr, nullptr);
    SelectInModelList(index == 1 ? ModelListView.spotItem : ModelListView.pointItem);
    EmptyModelTree();
    if (place)
        FillPreview();
    return true;
}

bool EditorSelectModel(CModelEntry* entry, bool place)
{
    if (!entry)
        return false;
    SetCurrent(0, entry, nullptr, nullptr, nullptr);
    SelectInModelList(entry->id);
    const bool modelView = CurrentViewIndex() == VIEW_MODEL;
    if (entry->model && (modelView || (g_ModelTreeDlg && g_ModelTreeDlg->IsWindowVisible())))
        entry->model->InsertIntoTree(0, nullptr);
    if (place)
        FillPreview();
    return true;
}

bool EditorSelectObject(CObjectNode* definition, CObjectState* state, bool place)
{
    if (!definition)
        return false;
    SetCurrent(0, nullptr, definition, state, nullptr);
    SelectInModelList(state && state->id ? state->id : definition->id);
    if (place)
        FillPreview();
    return true;
}

bool EditorSelectMacro(CMacro* macro, bool place)
{
    if (!macro)
        return false;
    SetCurrent(0, nullptr, nullptr, nullptr, macro);
    SelectInModelList(macro->id);
    EmptyModelTree();
    if (place)
        FillPreview();
    return true;
}

bool EditorSelectById(uint32_t item, bool place)
{
    if (!item)
        return false;
    if (item == ModelListView.spotItem)
        return EditorSelectLight(1, place);
    if (item == ModelListView.pointItem)
        return EditorSelectLight(2, place);
    if (CModelEntry* entry = g_ModelListRoot ? FindEntryById(g_ModelListRoot->FirstEntry(), item) : nullptr)
        return EditorSelectModel(entry, place);
    CObjectState* state = nullptr;
    if (CObjectNode* d = g_ObjectList ? g_ObjectList->FindByIdOrStateId(item, &state) : nullptr)
        return EditorSelectObject(d, state, place);
    if (CMacro* m = g_MacroListRoot ? FindMacroById(g_MacroListRoot->FirstMacro(), item) : nullptr)
        return EditorSelectMacro(m, place);
    return false;
}

bool EditorSelectWorldEntry(CWorldObject* node, bool place)
{
    if (!node)
        return false;
    if (CModelEntry* entry = node->ModelEntry())
        return EditorSelectModel(entry, place);
    if (CObjectNode* definition = node->Definition())
        return EditorSelectObject(definition, nullptr, place);
    return false;
}

void ForgetCurrentEntry()
{
    SetCurrent(0, nullptr, nullptr, nullptr, nullptr);
    // The preview refers to the entry that goes.
    if (g_PreviewRoot)
        g_PreviewRoot->DeleteChildren();
}

void BindSelectionToObjectProperties(CWorldObject* node)
{
    if (ObjectPropertiesLock || !g_ObjectPropertiesDlg)
        return;
    CObjectNode* definition = node ? node->Definition() : nullptr;
    if (!definition) {
        g_ObjectPropertiesDlg->SetObject(nullptr, nullptr, nullptr);
        return;
    }
    if (!node->objectLogic) {
        node->objectLogic = new CObjectLogic;
        node->objectLogic->worldNode = node;
        node->objectLogic->objectNode = definition;
    }
    g_ObjectPropertiesDlg->SetObject(node->objectLogic, node, nullptr);
}

void UnbindObjectPropertiesInside(CWorldObject* group)
{
    if (!g_ObjectPropertiesDlg || !group)
        return;
    const CWorldObject* shown = g_ObjectPropertiesDlg->WorldNode();
    if (shown && shown->IsDescendantOf(group))
        g_ObjectPropertiesDlg->SetObject(nullptr, nullptr, nullptr);
}

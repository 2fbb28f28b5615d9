#pragma once
// Model list services: the naming convention "base [variant] - suffix" by which
// entries form families, the tree-wide walks over the model list and the macro
// list, and the filling of the editor's model tree view.
#include <cstdint>
#include <string>
#include <vector>

class CMacro;
struct CMeshMaterial;
class CTexture;
class CModelEntry;
class CNode;
class CObjectNode;
class CRootNode;
class CTexturePage;
class CWorldObject;
class CTreeControl;

// Name helpers.
bool HasBracketedPart(const CNode* node);
bool GetBracketedPart(const CNode* node, std::string& out);
bool GetBaseName(const CNode* node, std::string& out);
// The suffix inside the name, or null.
const char* GetNameAfterDash(const CNode* node);
// Cuts the entry's name at the first " - ".
void StripSuffix(CModelEntry* entry);

// Variant searches over a model-list tree (the entry, its children, then the
// next sibling). A null variant or suffix matches any.
CModelEntry* FindByBaseName(CModelEntry* first, const char* base, const char* variant, const char* suffix);
extern std::vector<std::string> VariantNames;
void CollectVariantNames(CModelEntry* first, const char* base, const char* suffix);
void CollectInstanceVariantNames(CWorldObject* first, CModelEntry* modelList, bool onlySelected);
void ReplaceModelsByBaseName(CWorldObject* first, CModelEntry* modelList, const char* variant,
                             bool onlySelected);
int32_t CountVariants(CModelEntry* first, const char* base);
// Families: entries whose base name and suffix equal those of `node` (exactly, case included),
// whatever their variant. The first such entry other than `node`, or null.
CModelEntry* CompareBaseNames(CModelEntry* first, const CNode* node);
// Every entry of `node`'s family, `node` included when it is listed; returns their number.
int32_t MatchBaseNames(CModelEntry* first, const CNode* node, std::vector<CModelEntry*>& out);

// Model-list walkers.
CModelEntry* FindEntryById(CModelEntry* first, uint32_t id);
CModelEntry* FindByNameAndPath(CModelEntry* first, const char* name, const char* path);
// The index table: slot i holds the entry whose index is i; slot 0 is null.
// It is the game's model table (g_ModelTable) that the world readers use.
extern std::vector<CModelEntry*>& ModelIndexTable;
void RegisterByIndex(CModelEntry* first);
// The animation-info table, by animIndex; slots from kMaxAnimSlot on are refused.
extern std::vector<CModelEntry*> AnimInfoTable;
constexpr int32_t kMaxAnimSlot = 65536;
void RegisterInTable(CModelEntry* first);
void ResetCopyNumbers(CModelEntry* first);
// Binds the entry's model to the skeleton of the animation-info slot `linkIndex` names: its own
// animations go, the skeleton's model lends its animations to their namesakes and the animation
// range is measured again. Nothing without a skeleton in that slot.
void LinkToSkeleton(CModelEntry* entry);
void ResolveLinkedModels(CModelEntry* first);
void ValidateModel(CModelEntry* first);
void ReleaseVertexBuffers(CModelEntry* first);
void RefitAllTexturesInModels(CModelEntry* first);
void RemoveTextureFromModels(CModelEntry* first, CTexturePage* page, int32_t entry);
// Every model using the page entry fits its coordinates to the entry's place again.
void RefitTextureInModels(CModelEntry* first, CTexturePage* page, int32_t entry);
bool IsTextureUsedByModels(CModelEntry* first, CTexturePage* page, int32_t entry);
void ClearLinkTo(CModelEntry* first, const CModelEntry* target);
// Loads the file (a model file, or any other through ImportModelFile) and
// puts the new model in place of the entry's model, taking its name; false
// (nothing changed) when it cannot be loaded.
bool ReplaceModelFromFile(CModelEntry* entry, const char* path);
// Validates the models again; a model left with nothing to draw is validated once more.
void RepairModel(CModelEntry* first);
// The texture-coordinate services on each model, each refreshed afterwards: coordinates of the
// unpaged materials of `texture` restored (14), materials of one page moved to another (18).
void ApplyToModelsSlot14(CModelEntry* first, CTexture* texture);
void ApplyToModelsSlot18(CModelEntry* first, CTexturePage* oldPage, CTexturePage* newPage);
// Marks the textures and pages of every model as in use.
void ApplyToModelsSlot41(CModelEntry* first);
// Add every entry whose model's texture uses hold a matching record to the editor's tree
// selection and make its item visible; each returns the number of entries selected. Users of a
// page (one record per page), of a texture without a page, of what a material shows (its page, or
// its texture without one), and of any texture use of another entry's model.
int32_t SelectUsersInTree(CModelEntry* first, const CTexturePage* page);
int32_t SelectInTreeByTexture(CModelEntry* first, const CTexture* texture);
int32_t SelectInTreeByMaterial(CModelEntry* first, const CMeshMaterial& material);
int32_t SelectInTreeByModel(CModelEntry* first, const CModelEntry* model);
// Sets noUsers on every entry that no world node, no macro and no object
// state refers to (clears it on the others).
void MarkUnused(CModelEntry* first);
// The first named entry whose noUsers flag is set.
CModelEntry* FindFirstUnused(CModelEntry* first);

// Macro-list walkers (each macro's stored world sub-tree).
CMacro* FindMacroById(CMacro* first, uint32_t id);
void DeleteMacroUsersOfModel(CMacro* first, const CModelEntry* entry);
void DeleteMacroUsersOfObject(CMacro* first, const CObjectNode* definition);
void ReplaceMacroModel(CMacro* first, const CModelEntry* entry, CModelEntry* other);
void ReplaceMacroModelByObject(CMacro* first, const CModelEntry* entry, CObjectNode* definition);
void ReplaceMacroObject(CMacro* first, const CObjectNode* definition, CObjectNode* other);
CWorldObject* FindMacroUserOfModel(CMacro* first, const CModelEntry* entry);
CWorldObject* FindMacroUserOfObject(CMacro* first, const CObjectNode* definition);

// What the editor's Model List window shows.
enum EModelListView : int32_t
{
    MODELVIEW_PLAIN = 0,
    MODELVIEW_CATEGORIES = 1,
    MODELVIEW_OBJECTS = 2,
};
struct SModelListView
{
    // The Model List window's tree; null while no such window exists.
    CTreeControl* control = nullptr;
    uint8_t showCategories = 1;
    int32_t view = MODELVIEW_CATEGORIES;
    // Item handles kept for the fixed items; 0 while absent.
    uint32_t lightsItem = 0, spotItem = 0, pointItem = 0, macrosItem = 0, modelsItem = 0, objectsItem = 0;
};
extern SModelListView ModelListView;
// Empties the tree control and fills it from the model list (see the .cpp).
void FillModelTree(CModelEntry* listRoot, bool includeVariants);

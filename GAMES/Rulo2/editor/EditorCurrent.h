#pragma once
// The editor's current entry, picked in the Model List or mirrored from a
// selection in the 3-D view or the World Tree: a light item, a model, an object
// definition (with a state) or a macro. Selecting one selects its item in the
// Model List and shows a model in the Model Tree.
#include <cstdint>

class CMacro;
class CNode;
class CModelEntry;
class CObjectNode;
class CObjectState;
class CWorldObject;

extern CModelEntry* CurrentModel;
extern CObjectNode* CurrentObject;
extern CObjectState* CurrentState;
extern CMacro* CurrentMacro;
extern int32_t CurrentLight; // 1 spot, 2 point, 0 none
// The parameter-edit flag: while set, selections leave the Object Properties
// window bound to what it shows.
extern bool ObjectPropertiesLock;

bool EditorSelectLight(int32_t index, bool place);
bool EditorSelectModel(CModelEntry* entry, bool place);
bool EditorSelectObject(CObjectNode* definition, CObjectState* state, bool place);
bool EditorSelectMacro(CMacro* macro, bool place);
// What a Model List item stands for; false when it stands for nothing.
bool EditorSelectById(uint32_t item, bool place);
// A model instance selects its model, an object with states its definition.
bool EditorSelectWorldEntry(CWorldObject* node, bool place);
// The replaced world, model list or object list takes the current entry along.
void ForgetCurrentEntry();

// Unless the lock is set: an object with states that has a definition gets its
// logic (made when missing) and is bound to the Object Properties window; any
// other node unbinds the window.
void BindSelectionToObjectProperties(CWorldObject* node);
// The Object Properties window unbound when it shows `group` or a node below it.
void UnbindObjectPropertiesInside(CWorldObject* group);
// Lets the Object Properties window go of a node or definition that is destroyed
// (nothing without the window).
void ObjectPropertiesForget(const CNode* node);

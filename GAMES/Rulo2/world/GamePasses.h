#pragma once
// The passes that starting, resetting and saving a game run over the world
// tree, light colours, draw statistics and the editor's snapping searches.
// Each pass covers the node, its children, then its next sibling.
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"

class CChunkWriter;
class CWorldObject;

void SaveStartTransforms(CWorldObject* first);
void RestoreTransforms(CWorldObject* first);
// Clears flag bits 1 and 3 (reset).
void ClearRuntimeFlags(CWorldObject* first);
void CreateObjectLogic(CWorldObject* first);
void CreateMissingObjectLogic(CWorldObject* first);
// Next task, first walking step and, for "Process Always" kinds, activation.
void ActivateObjectLogic(CWorldObject* first);
// Objects whose current task is BurglaryTarget go on to their next task.
void SkipStartTasks(CWorldObject* first);
// Alarm systems and dependency targets learn which objects refer to them.
void UpdateIdLists(CWorldObject* first);
// Restarts every object's tasks under CONTINUE, which the first start turns into RECORD.
void SyncObjectLogicForRecording(CWorldObject* first);
// False as soon as one object's task list names a task type the table lacks.
bool AllObjectLogicValid(CWorldObject* first);
// Before a world save: the gang's planned task lists are not part of the world.
void DeletePlannedTaskLists(CWorldObject* first);
void FlagAllObjectLogic(CWorldObject* first);
void HideByBurglaryLevel(CWorldObject* first);
// Stores the level and hides what it rules out.
void SetBurglaryLevel(int32_t level);
void ReleaseObjectLogicRuntime(CWorldObject* first);
void DeleteAttachedObjects(CWorldObject* first);
void MaxObjectLogicNumber(CWorldObject* first, int32_t& maximum);
// The object nodes by logic number (the recorder id); slot 0 stays null.
extern std::vector<CWorldObject*> ObjectLogicTable;
// Gives every object a recorder id: a stored id from 1 to kMaxObjectId stays unless an object
// before it in tree order holds it; the others take the next numbers after the highest kept id
// in tree order. Object nodes whose logic the game creates later take their place too. The
// table by id is filled when one is given.
void NumberObjectLogic(CWorldObject* first, std::vector<CWorldObject*>* table);
// Numbers the objects and rebuilds ObjectLogicTable.
void RegisterObjectLogicNumbers(CWorldObject* first);
// Before a world save: the numbers that loading the saved file will give.
void NumberObjectLogicForSaving(CWorldObject* first);

// The light nodes of the world (kind 3 with a light).
void CollectLights(CWorldObject* first);
// lightColour of every model or object node: 0x00RRGGBB of its nearest listed
// light closer than 0.5 units, else -1.
void ComputeLightColours(CWorldObject* first);

// Over visible nodes, descending only into them.
void GatherDrawStatistics(CWorldObject* first, uint32_t& first32, uint32_t& second, uint32_t& third,
                          uint32_t& fourth);
// Over the frame's visible-object list: the nearest cached point of a node that
// is not selected to any of the given points; best and delta are updated.
void FindNearestSnapDelta(const CVector* points, int32_t n, float& best, CVector& delta);
// The cached point coordinate on `axis` nearest above (upward) or below the
// reference, over visible nodes; value stays the reference when none is found.
void FindSnapLevel(CWorldObject* first, bool upward, float& value, float reference, int32_t axis);

// Value and weight of the loot in the listed houses; in the editor also the
// loot objects (first list) and the houses' other objects that are not in the
// second list (third list). The second list, the objects that secure a house,
// is filled by the behaviour code from their task lists.
void CollectHouseStatistics(CWorldObject* first, float& totalValue, float& totalWeight,
                            std::vector<CWorldObject*>* loot, std::vector<CWorldObject*>* secured,
                            std::vector<CWorldObject*>* others, const std::vector<CWorldObject*>& houses);

// "TREE", the world tree chunks, "END "; false at the first failed write.
bool WriteTreeSection(CWorldObject* root, CChunkWriter& writer);

#pragma once
// Object instances: an object a gang member carries is a private copy of an
// object definition, listed in the global instance table. Also the carried
// load of the gang, and spawning and deleting run-time world objects.
#include <cstdint>
#include <vector>

class CObjectNode;
class CWorldObject;

struct ObjectInstance
{
    uint8_t active = 0;
    uint8_t held = 0;              // in a gang member's hand: stays listed when removed
    CObjectNode* object = nullptr; // owned private copy
    float memberFactor = 1.0f;
    float otherFactors[3] = {};
    CWorldObject* otherMembers[3] = {};
    CWorldObject* sourceNode = nullptr; // the world node a clone was made from
    int32_t id = 0;
    CWorldObject* owner = nullptr; // the gang member that owns the item
};

extern std::vector<ObjectInstance> ObjectInstances;
extern int32_t NextInstanceId;

int32_t CreateObjectInstance(CObjectNode* definition, CWorldObject* owner);
int32_t CloneObjectInstance(CWorldObject* node, CWorldObject* owner);
int32_t FindInstanceByObject(const CObjectNode* copy);
int32_t FindInstanceByIdAndType(int32_t id, int32_t objectType);
int32_t FindBestInstanceOfType(int32_t objectType);
void RemoveObjectInstance(const CObjectNode* object);
void RemoveObjectInstanceAt(const CWorldObject* sourceNode, int32_t objectType);
void ClearObjectInstances();
void UpdateCarriedLoad();
CWorldObject* SpawnInstanceNode(CObjectNode* definition, bool withTaskLists);
void DeleteRuntimeWorldObject(CWorldObject* node);
void SelectBagVariant(CWorldObject* node, int32_t variant);

// The number of the definition an instance was copied from.
int32_t InstanceObjectType(const CObjectNode* copy);
// The object kind of a copy's logic, -1 without logic.
int32_t InstanceObjectKind(const CObjectNode* copy);
// The definition a copy was made from; null for a definition that is no copy.
CObjectNode* TemplateOf(const CObjectNode* copy);
// 100 times the weight value of the object's kind record.
float CarriedWeight(const CObjectNode* object);
// The speed factor and bag variant of a load; a member that can carry nothing
// walks at full speed and shows no bag.
void LoadEffects(float load, float capacity, float* speedFactor, int32_t* bagVariant);

#pragma once
// The node of the world tree: every placed thing of a level (a group, a model
// instance, an object with states, a light, a terrain) is one CWorldObject
// below the world root.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/world/CNode.h"
#include "LIBS/System/CVector.h"
#include "platform/d3d/D3DTypes.h"

class IDirectDrawSurface7;

class CD3DLight;
class CModelEntry;
class CObjectNode;
class CObjectLogic;
class CRootNode;
class CTerrainRules;
class CWorldObject;

// A light placed in the world: the Direct3D light block and the word kept after
// it, bound to a device light of its own.
struct SWorldLight
{
    D3DLIGHT7 light;
    uint32_t lightWord = 0;
    CD3DLight* deviceLight = nullptr; // owned; goes with the light
};

// A node's shadow texture as the world file stores it (16-bit pixels, rows
// packed) and the texture surface made from it (released with it).
struct SShadowTexture
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint16_t> pixels;
    CTextureSurface texture;
};

// One path connection.
struct SConnection
{
    CWorldObject* target = nullptr;
    uint32_t targetNumber = 0; // pre-order number while a file is read
    int32_t distance = 0;      // straight-line distance x 1000, truncated
    uint8_t flag = 0;
};

class CWorldObject : public CNode
{
public:
    enum
    {
        KIND_GROUP = 0,
        KIND_MODEL = 1,
        KIND_OBJECT = 2,
        KIND_LIGHT = 3,
        KIND_GENERATOR = 4,
    };

    explicit CWorldObject(const char* name = nullptr);
    ~CWorldObject() override;

    CWorldObject* FindByPath(const char* path) override;
    using CNode::ForEach;
    bool ForEach(int (*callback)(CWorldObject*, void*), void* argument);
    bool IsInSubtree(const CNode* node) const;

    CRootNode* GetShapeRoot() const;
    const char* GetRefName() const;
    const char* GetStateName() const;
    void MarkGroupsDirty(bool selectedOnly);
    void FreeGroundMaps();
    // Whether the model this node walks on has a ground map: an object's
    // current state's model (objects with logic only), an instance's model.
    bool HasGroundMap() const;

    CModelEntry* ModelEntry() const
    {
        return objectKind == KIND_MODEL ? static_cast<CModelEntry*>(reference) : nullptr;
    }
    CObjectNode* Definition() const
    {
        return objectKind == KIND_OBJECT ? static_cast<CObjectNode*>(reference) : nullptr;
    }
    SWorldLight* Light() const
    {
        return objectKind == KIND_LIGHT ? static_cast<SWorldLight*>(reference) : nullptr;
    }
    CTerrainRules* Terrain() const
    {
        return objectKind == KIND_GENERATOR ? static_cast<CTerrainRules*>(reference) : nullptr;
    }
    CWorldObject* FirstObject() const { return static_cast<CWorldObject*>(firstChild); }
    CWorldObject* NextObject() const { return static_cast<CWorldObject*>(next); }

    // Path network (the navigation library implements these).
    static void ResolveConnections(CWorldObject* first, CWorldObject* root,
                                   const std::vector<CWorldObject*>& table);
    void RemoveConnection(CWorldObject* other);
    void AddConnection(CWorldObject* target, bool flag);
    // Makes every connection two-way and drops those leaving the tree.
    static void RepairConnections(CWorldObject* root);
    // Removes the connections that the path finder cannot walk.
    static void CheckConnections(CWorldObject* root);
    static void UpdateConnectionDistances(CWorldObject* first);

    // Ground nodes (navigation implements these).
    // Moves `value` to the nearest position along `axis` (0 x, 1 y, 2 z) of a
    // model or object node below `root` that lies above it (direction 1) or below
    // it (direction 0); unchanged when there is none. False when it stayed.
    static bool ScanObjectPositions(const CWorldObject* root, int axis, float& value, int direction);
    static void CalculateBoundingBoxes(CWorldObject* first);
    static void CalculateAntiGroundConnections();
    bool CreateGroundMap();

    // Attack points in world coordinates (navigation implements these).
    bool FindAttackPointOnPath(CVector* point, CWorldObject* const* nodes, int32_t count);
    bool FindNearestAttackPoint(const CVector& position, CVector* groundPoint, CWorldObject** groundNode,
                                CWorldObject* required);
    bool FindFarthestAttackPoint(const CVector& position, CVector* groundPoint, CWorldObject** groundNode,
                                 CWorldObject* required);
    bool FindAttackPointCell(float height, int32_t* cellX, int32_t* cellZ, int32_t minX, int32_t minZ);
    bool IsCharacterAtAttackPoint(CWorldObject* character);
    bool IsAtAttackPoint(CWorldObject* character) { return IsCharacterAtAttackPoint(character); }
    bool AreAttackPointsOverGround(CWorldObject* node);
    bool AreAttackPointsOverGrounds(CWorldObject* a, CWorldObject* b);

    // The World Tree's items (WorldTreeControl; nothing without it), each kept
    // in its node's id. InsertIntoTree rebuilds the whole tree from this root;
    // InsertChainIntoTree puts this node, its children and its following
    // siblings under `parentItem` (the first of them as the item's first child
    // when `asFirst`); RemoveFromTree deletes the items of that chain.
    using CNode::InsertIntoTree;
    void InsertIntoTree(uint32_t parentItem);
    void InsertChainIntoTree(uint32_t parentItem, bool asFirst = false);
    void RemoveFromTree();
    // The item of this node alone (its children follow with InsertChainIntoTree).
    uint32_t InsertOwnItem(uint32_t parentItem, bool asFirst);

    // Gives object logic and object ids to the placed objects of the subtree.
    void ResolveObjectIds();

    // The light block of a light node; creates the light when the node has none.
    SWorldLight* MakeLight();

    int32_t objectKind = KIND_GROUP;
    void* reference = nullptr;
    CVector position{0, 0, 0};
    float angle = 0.0f;
    float angle2 = 0.0f;
    float scale = 1.0f;
    CVector boundsAMin{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
    CVector boundsAMax{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};
    CVector boundsBMin{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
    CVector boundsBMax{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};
    CObjectLogic* objectLogic = nullptr;
    SShadowTexture* shadowTexture = nullptr;
    void* groundMap = nullptr; // malloc'd block whose first word points to the cells
    CVector savedPosition{0, 0, 0};
    float savedAngle = 0.0f;
    float savedAngle2 = 0.0f;
    uint8_t selected = 0;
    uint8_t flags = 0;
    bool groupFlag = false;
    float factor = 1.0f;
    std::vector<CVector> points, points2;
    std::vector<SConnection> connections;
    // Obstacles and stairs standing on a ground node, and its doors.
    std::vector<CWorldObject*> antiGround;
    std::vector<CWorldObject*> doorList;
    // Nodes whose connections point here, so that none is left pointing at a
    // destroyed node (connections need not be mutual).
    std::vector<CWorldObject*> incoming;
    int32_t lightColour = -1;
    // Snap-point cache: the shown model's locator points in world space, the
    // snapper points at the front. Valid while capacity and count equal the
    // model's locator and snapper counts.
    std::vector<CVector> snapPoints;
    int32_t snapCapacity = 0;
    int32_t snapCount = 0;
};

// The next object id to hand out; ids above 100000 are illegal.
extern uint32_t g_ObjectIdCounter;
constexpr uint32_t kMaxObjectId = 100000;

// Frees a ground-map block (the cells its first word points to, then the block).
void FreeGroundMap(void* block);

// "Varek.wld": a street block in the game's scale (one unit is about four
// metres; the game camera sees a few units around the hero). A road with
// pavements, two houses of two floors each with the inside and outside groups
// that the house cut-away reads, doors and windows as objects with states,
// stairs, furniture, street lamps and lights, trees, the hero, and path
// connections between the ground nodes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <tuple>
#include <vector>

#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectPaths.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "tools/make-sample-data/MeshBuilder.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

// House measures, in house coordinates: x across the front, z from the front
// wall to the back, y up from the ground.
constexpr float kWallT = 0.04f;  // wall thickness
constexpr float kStorey = 0.72f; // floor to floor
constexpr float kSlab = 0.02f;   // floor slab
constexpr float kHouseW = 2.0f;
constexpr float kHouseD = 1.6f;
// The lamps burn in the night light phase (00:00) that lightmaps are made for by default.
constexpr uint32_t kNightPhase = 1;
constexpr float kDoorW = 0.26f, kDoorH = 0.56f;
constexpr float kWinW = 0.28f, kWinH = 0.26f, kWinSill = 0.24f;
// The street runs along z, from behind the game camera's start to where the
// fog closes the view.
constexpr float kStreetZ0 = -4.0f, kStreetZ1 = 3.5f;
// The road's street pieces (Windows-1252 name) and their length along the street.
constexpr const char* kRoadPiece = "street_Stra\xDF"
                                   "e_Gerade1";
constexpr int kRoadPieces = 8;
// The passer-by's walk up the west pavement.
const CVector kWalkerStart(-0.66f, 0.02f, 0.7f);
const CVector kWalkerGoal(-0.66f, 0.02f, 1.3f);
// The fog change of the level's stage hand: when it starts (game time) and the colour it ends at.
constexpr int32_t kFogChangeStart = 1000;
constexpr int32_t kFogEndColour[3] = {16, 24, 96};
constexpr float kFogEndDistances[2] = {1.0f, 2.5f};
constexpr float kPieceLength = (kStreetZ1 - kStreetZ0) / float(kRoadPieces);
constexpr float kStairX0 = 0.06f, kStairX1 = 0.36f, kStairZ0 = 0.7f, kStairZ1 = 1.5f;
// Where the stairs come within a step of the upper floor.
constexpr float kStairExit = 1.3f;
// Materials and crack types of the kind data: what tool opens a thing, and how long it takes.
constexpr uint32_t kMaterialGlass = 0, kMaterialWood = 1, kMaterialSteel = 2;
constexpr uint32_t kCrackPicklocks = 1, kCrackSafes = 2;
constexpr float kDoorWorkingTime = 4.0f, kWindowWorkingTime = 8.0f, kLockerWorkingTime = 20.0f;
// The burglary of Haus_C: the car stops on the road in front of it (kCarAt), the gang gets out onto
// the west pavement; the picklock lies by the target's garden path, the phone box (kPhoneAt) beyond
// the target; all ahead of the game camera's start, so nothing stands between it and the hero.
const CVector kGangAt(-0.72f, 0.02f, 0.75f);
const CVector kPicklockAt(-0.86f, 0.02f, 0.9f);
// Where the watchman's round takes him: Haus_A's garden path, or the target's.
const CVector kGuardPost(-0.72f, 0.02f, -1.55f);
const CVector kGuardAlertPost(-0.72f, 0.02f, 1.35f);
constexpr int32_t kGuardSafeCheck = 240'000; // after the par time
constexpr int32_t kLootNeeded = 50;          // percent of the loot
constexpr int32_t kParTime = 120'000;

// An opening in a wall: from `a0` to `a1` along the wall, `b0` to `b1` up.
struct SHole
{
    float a0, a1, b0, b1;
};

// Model entries with the offset at which a node must stand (see BuildModel).
struct SModel
{
    CModelEntry* entry = nullptr;
    CVector centre{0, 0, 0};
};

struct SDefinition
{
    CObjectNode* definition = nullptr;
    CVector centre{0, 0, 0};
};

// A task item of the named type with the parameters its table row gives, at the end of `list`.
CTaskItem* AddItem(CTaskList& list, const char* type, int32_t startTime = 0)
{
    auto item = std::make_unique<CTaskItem>(startTime, TaskTypeByName(type));
    item->SyncParameters(nullptr);
    CTaskItem* raw = item.get();
    list.AddTask(std::move(item));
    return raw;
}

void SetNumber(CTaskItem* item, size_t i, int32_t value)
{
    static_cast<CIntParam*>(item->parameters[i].get())->value = value;
}

void SetRadius(CTaskItem* item, size_t i, float value)
{
    static_cast<CRadiusParam*>(item->parameters[i].get())->value = value;
}

void SetPosition(CTaskItem* item, size_t i, const CVector& at)
{
    auto* p = static_cast<CPositionParam*>(item->parameters[i].get());
    p->x = at.x;
    p->y = at.y;
    p->z = at.z;
}

void SetObject(CTaskItem* item, size_t i, CWorldObject* object)
{
    static_cast<CObjectRefParam*>(item->parameters[i].get())->Set(object);
}

// The list that the action `verb` on the owner (with `item` in hand, when given) starts.
CTaskList& OnAction(CTaskList& list, int32_t verb, CObjectNode* item = nullptr)
{
    auto d = std::make_unique<CDependency>();
    d->useAction = 1;
    d->action.action = verb;
    d->action.item = item;
    CTaskList& child = *d->childList;
    list.AddDependency(std::move(d));
    return child;
}

// A placed object's own logic, which the world file keeps with the node (its recorder id, and the
// task list when it has one of its own): a copy of its definition's, as the editor's Object
// Properties make it, so that the object keeps its kind, conditions and tasks.
CObjectLogic* OwnLogic(CWorldObject* node)
{
    if (node->objectLogic && node->objectLogic->ownDefinition)
        return node->objectLogic;
    auto* logic = new CObjectLogic;
    logic->worldNode = node;
    logic->ownDefinition = 1;
    const CObjectNode* definition = node->Definition();
    if (const CObjectLogic* defaults = definition ? definition->objectLogic : nullptr) {
        if (defaults->ownKindData) {
            logic->ownKindData = CKindData::Create(defaults->ownKindData->kind);
            logic->ownKindData->Copy(*defaults->ownKindData);
            // The copy leaves out when the object is processed: set here as for the definition.
            logic->ownKindData->processWhenVisible = defaults->ownKindData->processWhenVisible;
            logic->ownKindData->processAlways = defaults->ownKindData->processAlways;
        }
        if (defaults->ownConditions) {
            logic->ownConditions = CKindState::Create(defaults->ownConditions->kind);
            logic->ownConditions->CopyFrom(*defaults->ownConditions);
        }
        if (defaults->ownTaskList) {
            logic->ownTaskList = std::make_unique<CTaskList>();
            logic->ownTaskList->Copy(*defaults->ownTaskList);
        }
    }
    delete node->objectLogic;
    node->objectLogic = logic;
    return logic;
}

// A placed object's own task list in place of its definition's.
CTaskList& OwnTaskList(CWorldObject* node)
{
    CObjectLogic* logic = OwnLogic(node);
    logic->ownTaskList = std::make_unique<CTaskList>();
    return *logic->ownTaskList;
}

// Kind values stored as the rules read them.
template <size_t N>
void SetValues(CKindData* data, const float (&values)[N])
{
    for (size_t i = 0; i < N && int32_t(i) < data->ValueCount(); ++i)
        data->Values()[i] = FloatAsWord(values[i]);
}

class CLevel
{
public:
    explicit CLevel(SContext& c) : c_(c) {}

    // The sample street with its burglary; `alert` is the variant whose watchman stands in the way.
    bool Build(bool alert);
    // A town of ten street blocks: two parallel streets of five blocks each,
    // their houses, lamps and trees varied by the seed.
    bool BuildTown(uint32_t seed);

private:
    // Up to +-amount, or 0 for the sample itself, which never varies.
    float Jitter(float amount) { return rnd_ ? (rnd_->Unit() * 2 - 1) * amount : 0.0f; }

    SLook Look(const char* texture, float tile, float shade = 1.0f) const
    {
        SLook l;
        l.texture = &c_.Texture(texture);
        l.tile = tile;
        l.r = l.g = l.b = shade;
        // Walls turned away from the sun keep some of their colour.
        l.glow = 0.3f;
        return l;
    }
    static SLook Plain(float r, float g, float b, float glow = 0)
    {
        SLook l;
        l.r = r;
        l.g = g;
        l.b = b;
        l.glow = glow;
        return l;
    }

    CNode* ModelFolder(const char* name) { return g_ModelsTree->AddChild(new CNode(name)); }
    // Where a character stands to act on the model: points in the model's building frame, turned
    // as the model was.
    static void AddAttackPoints(const SModel& m, std::initializer_list<CVector> points, int turns = 0);
    SModel AddModel(const char* name, const CMeshBuilder& b, CNode* folder);
    SModel AddModel(const char* name, CRootNode* root, const CVector& centre, CNode* folder);
    static CWorldObject* Group(CNode* parent, const char* name);
    static CWorldObject* Place(CNode* parent, const char* name, const SModel& m, const CVector& at);
    // The definition's behaviour: its kind and a task list with one item of the named type.
    static CObjectLogic* GiveLogic(const SDefinition& d, int32_t kind, const char* task);
    static CWorldObject* PlaceObject(CNode* parent, const char* name, const SDefinition& d,
                                     const CVector& at);
    static CWorldObject* PointLight(CNode* parent, const char* name, const CVector& at, float r, float g,
                                    float b, float range);
    static CWorldObject* SpotLight(CNode* parent, const char* name, const CVector& at, float r, float g,
                                   float b);
    SDefinition Define(const char* name, CNode* folder,
                       const std::vector<std::pair<const char*, SModel>>& states);

    // Wall pieces around the holes: along x at depth z (front and back walls),
    // or along z at x (side walls).
    static void WallX(CMeshBuilder& b, int m, float x0, float x1, float z0, float z1, float y0, float y1,
                      std::vector<SHole> holes);
    static void WallZ(CMeshBuilder& b, int m, float z0, float z1, float x0, float x1, float y0, float y1,
                      std::vector<SHole> holes);

    void MakeStreetModels();
    void MakeHouseModels();
    void MakeFurniture();
    void MakeDoorsAndWindows();
    // A jointed figure about 0.45 high (1.8 m) in the given clothes.
    SModel MakeFigure(const char* name, const SLook& jacket, const SLook& trousers, CNode* folder);
    void MakeHero();
    // The burglary's things: locker, loot, picklock, getaway car, guard, walkers, accomplice,
    // the phone that leads to the plans and the marker that holds the burglary target.
    void MakeBurglaryObjects();
    void BuildStreet();
    // The ground floor's front door and inside group are kept for the burglary.
    void BuildHouse(const char* name, const CVector& origin, int turns, bool brick);
    // The burglary of Haus_C; `alert` puts the guard's patrol across the gang's way.
    void BuildBurglary(bool alert);
    static std::string HouseModelName(const char* part, bool brick, int turns);

    SContext& c_;
    std::map<std::string, SModel> models_;
    std::map<std::string, SDefinition> defs_;
    CWorldObject* street_ = nullptr;
    CWorldObject* pavements_[2] = {};
    // Of the house built last: its front door, a front window and its ground floor's inside group.
    CWorldObject* lastDoor_ = nullptr;
    CWorldObject* lastWindow_ = nullptr;
    CWorldObject* lastInside_ = nullptr;
    // The burglary's house (Haus_C): its door, a window and its ground floor inside; the door the
    // watchman tries on his round (Haus_A's).
    CWorldObject* targetDoor_ = nullptr;
    CWorldObject* targetWindow_ = nullptr;
    CWorldObject* targetInside_ = nullptr;
    CWorldObject* watchedDoor_ = nullptr;
    // Where the street block being built lies.
    CVector offset_{0, 0, 0};
    CRandom* rnd_ = nullptr;
};

SModel CLevel::AddModel(const char* name, const CMeshBuilder& b, CNode* folder)
{
    CVector centre;
    CRootNode* root = b.BuildModel(name, &centre);
    return AddModel(name, root, centre, folder);
}

SModel CLevel::AddModel(const char* name, CRootNode* root, const CVector& centre, CNode* folder)
{
    SModel m;
    auto* e = new CModelEntry();
    e->SetName(name);
    e->group = folder;
    e->model = root;
    g_ModelListRoot->AddChild(e);
    m.entry = e;
    m.centre = centre;
    models_[name] = m;
    return m;
}

void CLevel::AddAttackPoints(const SModel& m, std::initializer_list<CVector> points, int turns)
{
    for (const CVector& p : points) {
        const CVector at = Turn(p, turns) - m.centre;
        const float values[4] = {at.x, at.y, at.z, 0.0f};
        SModelPoint point;
        std::memcpy(point.words, values, sizeof values);
        m.entry->points.push_back(point);
    }
}

CWorldObject* CLevel::Group(CNode* parent, const char* name)
{
    auto* g = new CWorldObject(name);
    g->objectKind = CWorldObject::KIND_GROUP;
    parent->AddChild(g);
    return g;
}

CWorldObject* CLevel::Place(CNode* parent, const char* name, const SModel& m, const CVector& at)
{
    auto* o = new CWorldObject(name);
    o->objectKind = CWorldObject::KIND_MODEL;
    o->reference = m.entry;
    o->position = at + m.centre;
    parent->AddChild(o);
    return o;
}

CObjectLogic* CLevel::GiveLogic(const SDefinition& d, int32_t kind, const char* task)
{
    auto* logic = new CObjectLogic;
    logic->objectNode = d.definition;
    logic->ownKindData = CKindData::Create(kind);
    logic->ownKindData->name = d.definition->name;
    // Things the gang handles take its requests only while ticked: in view they are. Characters
    // are ticked by the game step anyway.
    if (kind != KIND_CHARACTER_A && kind != KIND_CHARACTER_B && kind != KIND_CHARACTER_C)
        logic->ownKindData->processWhenVisible = 1;
    logic->ownTaskList = std::make_unique<CTaskList>();
    // With the parameters of its table row, as the loader gives them: a world saved again
    // keeps its bytes.
    AddItem(*logic->ownTaskList, task);
    logic->ownDefinition = 1;
    delete d.definition->objectLogic;
    d.definition->objectLogic = logic;
    return logic;
}

CWorldObject* CLevel::PlaceObject(CNode* parent, const char* name, const SDefinition& d, const CVector& at)
{
    auto* o = new CWorldObject(name);
    o->objectKind = CWorldObject::KIND_OBJECT;
    o->reference = d.definition;
    o->position = at + d.centre;
    parent->AddChild(o);
    return o;
}

CWorldObject* CLevel::PointLight(CNode* parent, const char* name, const CVector& at, float r, float g,
                                 float b, float range)
{
    auto* o = new CWorldObject(name);
    parent->AddChild(o);
    SWorldLight* l = o->MakeLight();
    o->position = at;
    l->light.dltType = D3DLIGHT_POINT;
    l->light.dcvDiffuse = {r, g, b, 1};
    l->light.dcvSpecular = {r * 0.3f, g * 0.3f, b * 0.3f, 1};
    l->light.dvPosition = {at.x, at.y, at.z};
    l->light.dvRange = range;
    l->light.dvAttenuation0 = 1.0f;
    l->light.dvAttenuation1 = 0.5f;
    l->lightWord = kNightPhase;
    return o;
}

CWorldObject* CLevel::SpotLight(CNode* parent, const char* name, const CVector& at, float r, float g, float b)
{
    auto* o = new CWorldObject(name);
    parent->AddChild(o);
    SWorldLight* l = o->MakeLight();
    o->position = at;
    // Straight down: heading 0, pitch a quarter turn below the horizon.
    o->angle = 0.0f;
    o->angle2 = -1.5707964f;
    l->light.dltType = D3DLIGHT_SPOT;
    l->light.dcvDiffuse = {r, g, b, 1};
    l->light.dvPosition = {at.x, at.y, at.z};
    l->light.dvDirection = {0, -1, 0};
    l->light.dvRange = 1.5f;
    l->light.dvFalloff = 1.0f;
    l->light.dvAttenuation0 = 1.0f;
    l->light.dvTheta = 0.5f;
    l->light.dvPhi = 1.0f;
    l->lightWord = kNightPhase;
    return o;
}

SDefinition CLevel::Define(const char* name, CNode* folder,
                           const std::vector<std::pair<const char*, SModel>>& states)
{
    SDefinition d;
    d.definition = new CObjectNode(name);
    d.definition->group = folder;
    for (const auto& [state, model] : states)
        d.definition->AddState(state)->modelEntry = model.entry;
    // Every state's model has the same bounds, so one offset serves them all.
    d.centre = states.front().second.centre;
    defs_[name] = d;
    return d;
}

void CLevel::WallX(CMeshBuilder& b, int m, float x0, float x1, float z0, float z1, float y0, float y1,
                   std::vector<SHole> holes)
{
    std::sort(holes.begin(), holes.end(), [](const SHole& p, const SHole& q) { return p.a0 < q.a0; });
    float x = x0;
    for (const SHole& h : holes) {
        if (h.a0 > x)
            b.Box(m, CVector(x, y0, z0), CVector(h.a0, y1, z1));
        if (h.b0 > y0)
            b.Box(m, CVector(h.a0, y0, z0), CVector(h.a1, h.b0, z1));
        if (h.b1 < y1)
            b.Box(m, CVector(h.a0, h.b1, z0), CVector(h.a1, y1, z1));
        x = h.a1;
    }
    if (x < x1)
        b.Box(m, CVector(x, y0, z0), CVector(x1, y1, z1));
}

void CLevel::WallZ(CMeshBuilder& b, int m, float z0, float z1, float x0, float x1, float y0, float y1,
                   std::vector<SHole> holes)
{
    std::sort(holes.begin(), holes.end(), [](const SHole& p, const SHole& q) { return p.a0 < q.a0; });
    float z = z0;
    for (const SHole& h : holes) {
        if (h.a0 > z)
            b.Box(m, CVector(x0, y0, z), CVector(x1, y1, h.a0));
        if (h.b0 > y0)
            b.Box(m, CVector(x0, y0, h.a0), CVector(x1, h.b0, h.a1));
        if (h.b1 < y1)
            b.Box(m, CVector(x0, h.b1, h.a0), CVector(x1, y1, h.a1));
        z = h.a1;
    }
    if (z < z1)
        b.Box(m, CVector(x0, y0, z), CVector(x1, y1, z1));
}

void CLevel::MakeStreetModels()
{
    CNode* folder = ModelFolder("Street");
    {
        // The road is a row of straight one-lane street pieces; a piece's lanes
        // run along its own x axis, so the pieces stand turned a quarter turn.
        CMeshBuilder b;
        const float half = kPieceLength / 2;
        b.Box(b.Material(Look("asphalt", 0.5f)), CVector(-half, -0.02f, -0.5f), CVector(half, 0.008f, 0.5f),
              16);
        // Open on every side: the pavements, and the next piece at each end.
        b.Outline(
            {{-half, 0.008f, -0.5f}, {half, 0.008f, -0.5f}, {half, 0.008f, 0.5f}, {-half, 0.008f, 0.5f}}, {});
        AddModel(kRoadPiece, b, folder);
    }
    {
        CMeshBuilder b;
        const int m = b.Material(Plain(0.95f, 0.95f, 0.9f, 0.3f));
        for (float z = kStreetZ0 + 0.1f; z < kStreetZ1 - 0.3f; z += 0.6f)
            b.Box(m, CVector(-0.015f, 0, z), CVector(0.015f, 0.011f, z + 0.3f), 16);
        AddModel("Mittellinie", b, folder);
    }
    for (int east = 0; east < 2; ++east) {
        CMeshBuilder b;
        const float x0 = east ? 0.5f : -0.95f;
        b.Box(b.Material(Look("paving", 0.25f)), CVector(x0, 0, kStreetZ0),
              CVector(x0 + 0.45f, 0.02f, kStreetZ1), 16);
        // Open towards the road and the garden paths.
        b.Outline({{x0, 0.02f, kStreetZ0},
                   {x0 + 0.45f, 0.02f, kStreetZ0},
                   {x0 + 0.45f, 0.02f, kStreetZ1},
                   {x0, 0.02f, kStreetZ1}},
                  {0, 1, 2, 3});
        // The kerb along the road, its face towards the road.
        const int kerb = b.Material(Look("kerb", 0.5f));
        if (east)
            b.Box(kerb, CVector(0.5f, -0.01f, kStreetZ0), CVector(0.52f, 0.025f, kStreetZ1), 16 | 4);
        else
            b.Box(kerb, CVector(-0.52f, -0.01f, kStreetZ0), CVector(-0.5f, 0.025f, kStreetZ1), 16 | 8);
        AddModel(east ? "Gehweg_Ost" : "Gehweg_West", b, folder);
    }
    {
        CMeshBuilder b;
        const int g = b.Material(Look("grass", 0.5f));
        b.Box(g, CVector(-6, -0.02f, kStreetZ0), CVector(-0.95f, 0.004f, kStreetZ1), 16);
        b.Box(g, CVector(0.95f, -0.02f, kStreetZ0), CVector(6, 0.004f, kStreetZ1), 16);
        AddModel("Wiese", b, folder);
    }
    {
        CMeshBuilder b;
        b.Box(b.Material(Look("paving", 0.2f)), CVector(0, 0, 0), CVector(0.2f, 0.014f, 0.3f), 16);
        // Open at the pavement and at the door.
        b.Outline({{0, 0.014f, 0}, {0.2f, 0.014f, 0}, {0.2f, 0.014f, 0.3f}, {0, 0.014f, 0.3f}}, {0, 1, 2, 3});
        AddModel("Gartenweg", b, folder);
    }
    {
        CMeshBuilder b;
        const int metal = b.Material(Plain(0.25f, 0.27f, 0.3f));
        b.Box(metal, CVector(-0.012f, 0, -0.012f), CVector(0.012f, 0.66f, 0.012f));
        b.Box(metal, CVector(-0.04f, 0.66f, -0.04f), CVector(0.04f, 0.68f, 0.04f));
        b.Box(b.Material(Plain(1.0f, 0.9f, 0.6f, 0.9f)), CVector(-0.03f, 0.68f, -0.03f),
              CVector(0.03f, 0.74f, 0.03f));
        b.Box(metal, CVector(-0.045f, 0.74f, -0.045f), CVector(0.045f, 0.755f, 0.045f));
        AddModel("Laterne", b, folder);
    }
    {
        CMeshBuilder b;
        b.Box(b.Material(Look("wood", 0.3f, 0.6f)), CVector(-0.03f, 0, -0.03f), CVector(0.03f, 0.4f, 0.03f));
        const int leaves = b.Material(Look("leaves", 0.3f));
        b.Box(leaves, CVector(-0.22f, 0.3f, -0.22f), CVector(0.22f, 0.7f, 0.22f));
        b.Box(leaves, CVector(-0.14f, 0.7f, -0.14f), CVector(0.14f, 0.9f, 0.14f));
        AddModel("Baum", b, folder);
    }
}

std::string CLevel::HouseModelName(const char* part, bool brick, int turns)
{
    return std::string(part) + (brick ? "_Ziegel" : "_Putz") + (turns == 1 ? "_L" : "_R");
}

void CLevel::MakeHouseModels()
{
    CNode* folder = ModelFolder("Houses");
    const std::vector<float> frontWindows1 = {0.4f, 1.6f}, frontWindows2 = {0.4f, 1.0f, 1.6f};
    for (int turns : {1, 3})
        for (int brick = 0; brick < 2; ++brick) {
            const char* wall = brick ? "brick" : "plaster";
            for (int storey = 0; storey < 2; ++storey) {
                CMeshBuilder b;
                b.SetTurns(turns);
                const int m = b.Material(Look(wall, brick ? 0.25f : 0.5f));
                const int trim = b.Material(Look("plaster", 0.5f, 0.75f));
                const float y0 = storey * kStorey, y1 = y0 + kStorey;
                std::vector<SHole> front;
                for (float x : storey ? frontWindows2 : frontWindows1)
                    front.push_back({x - kWinW / 2, x + kWinW / 2, y0 + kWinSill, y0 + kWinSill + kWinH});
                if (!storey)
                    front.push_back({1.0f - kDoorW / 2, 1.0f + kDoorW / 2, y0, y0 + kDoorH});
                WallX(b, m, 0, kHouseW, 0, kWallT, y0, y1, front);
                std::vector<SHole> back;
                for (float x : {0.5f, 1.5f})
                    back.push_back({x - kWinW / 2, x + kWinW / 2, y0 + kWinSill, y0 + kWinSill + kWinH});
                WallX(b, m, 0, kHouseW, kHouseD - kWallT, kHouseD, y0, y1, back);
                const std::vector<SHole> side = {
                    {0.8f - kWinW / 2, 0.8f + kWinW / 2, y0 + kWinSill, y0 + kWinSill + kWinH}};
                WallZ(b, m, kWallT, kHouseD - kWallT, 0, kWallT, y0, y1, side);
                WallZ(b, m, kWallT, kHouseD - kWallT, kHouseW - kWallT, kHouseW, y0, y1, side);
                // A plinth below and a band between the floors make the storeys read.
                if (!storey) {
                    b.Box(trim, CVector(-0.01f, 0, -0.01f), CVector(kHouseW + 0.01f, 0.05f, kHouseD + 0.01f),
                          15);
                    // The ground under the house: what shows through the door
                    // while the insides are cut away.
                    b.Box(b.Material(Look("tiles", 0.25f, 0.55f)), CVector(kWallT, 0, kWallT),
                          CVector(kHouseW - kWallT, 0.01f, kHouseD - kWallT), 16);
                } else {
                    b.Box(trim, CVector(-0.01f, y0 - 0.02f, -0.01f),
                          CVector(kHouseW + 0.01f, y0 + 0.02f, kHouseD + 0.01f));
                }
                // Fixed panes in the back and side openings.
                const int glass = b.Material(Look("glass", 1.0f));
                for (float x : {0.5f, 1.5f})
                    b.Box(glass, CVector(x - kWinW / 2, y0 + kWinSill, kHouseD - kWallT / 2 - 0.005f),
                          CVector(x + kWinW / 2, y0 + kWinSill + kWinH, kHouseD - kWallT / 2 + 0.005f), 3);
                for (float x : {kWallT / 2, kHouseW - kWallT / 2})
                    b.Box(glass, CVector(x - 0.005f, y0 + kWinSill, 0.8f - kWinW / 2),
                          CVector(x + 0.005f, y0 + kWinSill + kWinH, 0.8f + kWinW / 2), 12);
                const std::string part = std::string("Wand") + char('1' + storey);
                // "Complex": each wall face gets a lightmap patch of its own.
                AddModel(HouseModelName(part.c_str(), brick, turns).c_str(), b, folder)
                    .entry->model->SetMeshFlagA(true);
            }
            CMeshBuilder roof;
            roof.SetTurns(turns);
            roof.Roof(roof.Material(Look("rooftiles", 0.25f)),
                      roof.Material(Look(wall, brick ? 0.25f : 0.5f)), CVector(0, 2 * kStorey, 0),
                      CVector(kHouseW, 2 * kStorey + 0.5f, kHouseD), 0.08f);
            AddModel(HouseModelName("Dach", brick, turns).c_str(), roof, folder);
        }

    const float ix0 = kWallT, ix1 = kHouseW - kWallT, iz0 = kWallT, iz1 = kHouseD - kWallT;
    for (int turns : {1, 3}) {
        const char* side = turns == 1 ? "_L" : "_R";
        for (int tiles = 0; tiles < 2; ++tiles) {
            CMeshBuilder b;
            b.SetTurns(turns);
            b.Box(b.Material(Look(tiles ? "tiles" : "wood", tiles ? 0.25f : 0.4f)), CVector(ix0, 0, iz0),
                  CVector(ix1, kSlab, iz1), 16);
            // The walls, with the front door's opening; the ground reaches into
            // the opening to meet the garden path.
            const float d0 = 1.0f - kDoorW / 2, d1 = 1.0f + kDoorW / 2;
            // The first three points span the plane the ray tests use.
            b.Outline({{ix1, kSlab, 0},
                       {ix1, kSlab, iz1},
                       {ix0, kSlab, iz1},
                       {ix0, kSlab, 0},
                       {d0, kSlab, 0},
                       {d1, kSlab, 0}},
                      {0, 1, 1, 2, 2, 3, 3, 4, 5, 0});
            AddModel((std::string(tiles ? "Boden_Fliesen" : "Boden_Holz") + side).c_str(), b, folder);
        }
        {
            // The upper floor leaves the stairwell open.
            CMeshBuilder b;
            b.SetTurns(turns);
            const int m = b.Material(Look("wood", 0.4f));
            const float y0 = kStorey, y1 = kStorey + kSlab;
            b.Box(m, CVector(kStairX1, y0, iz0), CVector(ix1, y1, iz1));
            b.Box(m, CVector(ix0, y0, iz0), CVector(kStairX1, y1, kStairZ0));
            b.Box(m, CVector(ix0, y0, kStairZ1), CVector(kStairX1, y1, iz1));
            // The room beside the stairwell, open where the top of the stairs
            // comes level with it.
            b.Outline({{kStairX1, y1, iz0},
                       {ix1, y1, iz0},
                       {ix1, y1, iz1},
                       {kStairX1, y1, iz1},
                       {kStairX1, y1, kStairZ1},
                       {kStairX1, y1, kStairExit}},
                      {0, 1, 1, 2, 2, 3, 3, 4, 5, 0});
            AddModel((std::string("Boden_Oben") + side).c_str(), b, folder);
        }
        {
            CMeshBuilder b;
            b.SetTurns(turns);
            const int m = b.Material(Look("wood", 0.1f, 0.85f));
            constexpr int steps = 8;
            const float rise = (kStorey + kSlab) / steps, run = (kStairZ1 - kStairZ0) / steps;
            for (int i = 0; i < steps; ++i)
                b.Box(m, CVector(kStairX0, 0, kStairZ0 + i * run),
                      CVector(kStairX1, (i + 1) * rise, kStairZ0 + (i + 1) * run));
            // A slope from the floor up to the upper floor: entered at the foot,
            // left sideways at the top where the heights meet.
            const float top = kStorey + kSlab;
            const float exitY = kSlab + (kStairExit - kStairZ0) / (kStairZ1 - kStairZ0) * (top - kSlab);
            b.Outline({{kStairX0, kSlab, kStairZ0},
                       {kStairX1, kSlab, kStairZ0},
                       {kStairX1, exitY, kStairExit},
                       {kStairX1, top, kStairZ1},
                       {kStairX0, top, kStairZ1}},
                      {1, 2, 3, 4, 4, 0});
            // Where a walk changes between the stairs and a floor: at the foot
            // and at the side exit, in the model's own frame.
            const SModel stairs = AddModel((std::string("Treppe_Holz") + side).c_str(), b, folder);
            const float footZ = kStairZ0 + 0.02f, exitZ = kStairExit + 0.1f;
            for (const CVector& p :
                 {CVector((kStairX0 + kStairX1) / 2, kSlab, footZ),
                  CVector(kStairX1 - 0.03f,
                          kSlab + (exitZ - kStairZ0) / (kStairZ1 - kStairZ0) * (top - kSlab), exitZ)}) {
                const CVector at = Turn(p, turns) - stairs.centre;
                const float values[4] = {at.x, at.y, at.z, 0.0f};
                SModelPoint point;
                std::memcpy(point.words, values, sizeof values);
                stairs.entry->points.push_back(point);
            }
        }
    }
}

void CLevel::MakeFurniture()
{
    CNode* folder = ModelFolder("Furniture");
    // Furniture blocks the ground it stands on: a closed footprint, and the
    // model entry marked "Anti Ground".
    auto Obstacle = [](CMeshBuilder& b, float x0, float z0, float x1, float z1) {
        b.ClosedOutline({{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}});
    };
    const SLook wood = Look("wood", 0.2f, 0.8f);
    {
        CMeshBuilder b;
        const int m = b.Material(wood);
        b.Box(m, CVector(-0.15f, 0.15f, -0.1f), CVector(0.15f, 0.17f, 0.1f));
        for (float x : {-0.13f, 0.11f})
            for (float z : {-0.08f, 0.06f})
                b.Box(m, CVector(x, 0, z), CVector(x + 0.02f, 0.15f, z + 0.02f));
        Obstacle(b, -0.15f, -0.1f, 0.15f, 0.1f);
        AddModel("Tisch", b, folder).entry->antiGround = true;
    }
    {
        CMeshBuilder b;
        const int m = b.Material(wood);
        b.Box(m, CVector(-0.045f, 0.09f, -0.045f), CVector(0.045f, 0.105f, 0.045f));
        b.Box(m, CVector(-0.045f, 0.105f, 0.035f), CVector(0.045f, 0.22f, 0.045f));
        for (float x : {-0.045f, 0.033f})
            for (float z : {-0.045f, 0.033f})
                b.Box(m, CVector(x, 0, z), CVector(x + 0.012f, 0.09f, z + 0.012f));
        Obstacle(b, -0.045f, -0.045f, 0.045f, 0.045f);
        AddModel("Stuhl", b, folder).entry->antiGround = true;
    }
    {
        CMeshBuilder b;
        const int cloth = b.Material(Look("fabric", 0.2f));
        b.Box(cloth, CVector(-0.22f, 0, -0.08f), CVector(0.22f, 0.08f, 0.08f));
        b.Box(cloth, CVector(-0.22f, 0.08f, 0.05f), CVector(0.22f, 0.18f, 0.1f));
        b.Box(cloth, CVector(-0.26f, 0, -0.08f), CVector(-0.22f, 0.12f, 0.1f));
        b.Box(cloth, CVector(0.22f, 0, -0.08f), CVector(0.26f, 0.12f, 0.1f));
        Obstacle(b, -0.26f, -0.08f, 0.26f, 0.1f);
        AddModel("Sofa", b, folder).entry->antiGround = true;
    }
    {
        CMeshBuilder b;
        b.Box(b.Material(wood), CVector(-0.14f, 0, -0.24f), CVector(0.14f, 0.06f, 0.24f));
        b.Box(b.Material(Look("fabric", 0.3f, 0.9f)), CVector(-0.13f, 0.06f, -0.2f),
              CVector(0.13f, 0.1f, 0.23f));
        b.Box(b.Material(Plain(0.92f, 0.92f, 0.88f)), CVector(-0.11f, 0.06f, -0.235f),
              CVector(0.11f, 0.11f, -0.18f));
        b.Box(b.Material(wood), CVector(-0.14f, 0, -0.26f), CVector(0.14f, 0.16f, -0.24f));
        Obstacle(b, -0.14f, -0.26f, 0.14f, 0.24f);
        AddModel("Bett", b, folder).entry->antiGround = true;
    }
    {
        CMeshBuilder b;
        const int m = b.Material(Look("wood", 0.2f, 0.6f));
        b.Box(m, CVector(-0.16f, 0, -0.07f), CVector(0.16f, 0.44f, 0.07f));
        b.Box(b.Material(Plain(0.8f, 0.7f, 0.3f, 0.2f)), CVector(-0.02f, 0.2f, -0.075f),
              CVector(0.02f, 0.24f, -0.07f));
        Obstacle(b, -0.16f, -0.075f, 0.16f, 0.07f);
        AddModel("Schrank", b, folder).entry->antiGround = true;
    }
    {
        CMeshBuilder b;
        b.Box(b.Material(Plain(0.85f, 0.85f, 0.82f)), CVector(-0.3f, 0, -0.08f), CVector(0.3f, 0.2f, 0.08f));
        b.Box(b.Material(Look("tiles", 0.16f)), CVector(-0.3f, 0.2f, -0.08f), CVector(0.3f, 0.215f, 0.08f));
        Obstacle(b, -0.3f, -0.08f, 0.3f, 0.08f);
        AddModel("Kueche", b, folder).entry->antiGround = true;
    }
}

void CLevel::MakeDoorsAndWindows()
{
    CNode* folder = ModelFolder("Doors and windows");
    CNode* objects = g_ObjectsTree->AddChild(new CNode("Doors and windows"));
    // The door in its opening: x across the opening centred on 0, the wall from
    // z 0 to the wall thickness, inside towards +z. The mat inside the door
    // keeps the bounds of the open and the closed door equal.
    const float w = kDoorW, h = kDoorH, t = kWallT;
    auto door = [&](const std::string& name, bool open, int turns) {
        CMeshBuilder b;
        b.SetTurns(turns);
        const int frame = b.Material(Plain(0.95f, 0.95f, 0.92f));
        b.Box(frame, CVector(-w / 2, 0, 0), CVector(-w / 2 + 0.015f, h, t));
        b.Box(frame, CVector(w / 2 - 0.015f, 0, 0), CVector(w / 2, h, t));
        b.Box(frame, CVector(-w / 2, h - 0.015f, 0), CVector(w / 2, h, t));
        const int leaf = b.Material(Look("door", 1.0f));
        if (open)
            b.Box(leaf, CVector(-w / 2 + 0.015f, 0.002f, t),
                  CVector(-w / 2 + 0.035f, h - 0.017f, t + w - 0.03f));
        else
            b.Box(leaf, CVector(-w / 2 + 0.015f, 0.002f, t / 2 - 0.01f),
                  CVector(w / 2 - 0.015f, h - 0.017f, t / 2 + 0.01f));
        b.Box(b.Material(Plain(0.35f, 0.25f, 0.18f)), CVector(-w / 2, 0, t),
              CVector(w / 2, 0.004f, t + w - 0.03f), 16);
        const SModel m = AddModel(name.c_str(), b, folder);
        AddAttackPoints(m, {CVector(0, 0, -0.12f), CVector(0, 0, t + w)}, turns);
        return m;
    };
    // The window: two casements; open, they turn inwards over the inner sill.
    const float ww = kWinW, wh = kWinH;
    auto window = [&](const std::string& name, bool open, int turns) {
        CMeshBuilder b;
        b.SetTurns(turns);
        const int frame = b.Material(Plain(0.95f, 0.95f, 0.92f));
        b.Box(frame, CVector(-ww / 2, 0, 0), CVector(ww / 2, 0.012f, t));
        b.Box(frame, CVector(-ww / 2, wh - 0.012f, 0), CVector(ww / 2, wh, t));
        b.Box(frame, CVector(-ww / 2, 0, 0), CVector(-ww / 2 + 0.012f, wh, t));
        b.Box(frame, CVector(ww / 2 - 0.012f, 0, 0), CVector(ww / 2, wh, t));
        b.Box(b.Material(Plain(0.9f, 0.9f, 0.88f)), CVector(-ww / 2 - 0.02f, -0.015f, -0.02f),
              CVector(ww / 2 + 0.02f, 0, t + ww / 2));
        const int glass = b.Material(Look("glass", 1.0f));
        const float half = ww / 2 - 0.012f;
        if (open) {
            b.Box(glass, CVector(-ww / 2 + 0.012f, 0.012f, t),
                  CVector(-ww / 2 + 0.02f, wh - 0.012f, t + half));
            b.Box(glass, CVector(ww / 2 - 0.02f, 0.012f, t), CVector(ww / 2 - 0.012f, wh - 0.012f, t + half));
        } else {
            b.Box(glass, CVector(-half, 0.012f, t / 2 - 0.004f), CVector(half, wh - 0.012f, t / 2 + 0.004f));
        }
        const SModel m = AddModel(name.c_str(), b, folder);
        AddAttackPoints(m, {CVector(0, -kWinSill, -0.12f), CVector(0, -kWinSill, t + 0.12f)}, turns);
        return m;
    };
    // Houses on the left of the street face +x, those on the right -x.
    for (int turns : {1, 3}) {
        const std::string side = turns == 1 ? "Left" : "Right";
        const std::string tag = turns == 1 ? "_L" : "_R";
        const SModel doorClosed = door("Tuer_zu" + tag, false, turns),
                     doorOpen = door("Tuer_offen" + tag, true, turns);
        // Wooden doors that a picklock opens in a few seconds, glass windows that take longer.
        for (const bool locked : {false, true}) {
            const std::string name = std::string(locked ? "Door_Locked_" : "Door_") + side;
            Define(
                name.c_str(), objects,
                {{"CLOSED", doorClosed}, {"OPENING", doorOpen}, {"OPEN", doorOpen}, {"CLOSING", doorClosed}});
            CObjectLogic* logic = GiveLogic(defs_[name], KIND_DOOR, "Door");
            auto* data = static_cast<CPassageKindData*>(logic->ownKindData.get());
            data->values[0] = FloatAsWord(kDoorWorkingTime);
            data->values[1] = kMaterialWood;
            data->values[2] = kCrackPicklocks;
            auto conditions = std::make_unique<CPassageState>(KIND_DOOR);
            conditions->locked = locked;
            logic->ownConditions = std::move(conditions);
        }
        const SModel winClosed = window("Fenster_zu" + tag, false, turns);
        const SModel winOpen = window("Fenster_offen" + tag, true, turns);
        Define(("Window_" + side).c_str(), objects,
               {{"CLOSED", winClosed}, {"OPENING", winOpen}, {"OPEN", winOpen}, {"CLOSING", winClosed}});
        CObjectLogic* logic = GiveLogic(defs_["Window_" + side], KIND_WINDOW, "Window");
        auto* data = static_cast<CPassageKindData*>(logic->ownKindData.get());
        data->values[0] = FloatAsWord(kWindowWorkingTime);
        data->values[1] = kMaterialGlass;
        data->values[2] = kCrackPicklocks;
        auto conditions = std::make_unique<CPassageState>(KIND_WINDOW);
        conditions->locked = 1;
        logic->ownConditions = std::move(conditions);
    }
}

// A character: a jointed figure about 0.45 high (1.8 m), its feet on the
// model's origin where the "snapperShape" locator stands.
SModel CLevel::MakeFigure(const char* name, const SLook& jacket, const SLook& trousers, CNode* folder)
{
    auto* root = new CRootNode();
    root->SetName(name);
    auto joint = [](CNode* parent, const char* name, const CVector& at) {
        auto* j = new CJointNode(name);
        j->translation = at;
        j->scaling = CVector(1, 1, 1);
        j->localMatrix = MatrixTranslation(at);
        parent->AddChild(j);
        return j;
    };
    auto part = [&](CNode* parent, const char* name, const SLook& look, const CVector& lo,
                    const CVector& hi) {
        CMeshBuilder b;
        b.Box(b.Material(look), lo, hi);
        parent->AddChild(b.BuildMesh(name));
    };
    const SLook skin = Plain(0.9f, 0.7f, 0.55f);
    const SLook shoes = Plain(0.1f, 0.08f, 0.06f), cap = Plain(0.08f, 0.08f, 0.08f);
    CJointNode* hips = joint(root, "Hips", CVector(0, 0.22f, 0));
    part(hips, "Pelvis", trousers, CVector(-0.055f, -0.02f, -0.03f), CVector(0.055f, 0.03f, 0.03f));
    for (int side = -1; side <= 1; side += 2) {
        CJointNode* leg = joint(hips, side < 0 ? "LeftLeg" : "RightLeg", CVector(side * 0.03f, -0.02f, 0));
        part(leg, side < 0 ? "LeftThigh" : "RightThigh", trousers, CVector(-0.022f, -0.19f, -0.022f),
             CVector(0.022f, 0, 0.022f));
        CJointNode* foot = joint(leg, side < 0 ? "LeftFoot" : "RightFoot", CVector(0, -0.19f, 0));
        part(foot, side < 0 ? "LeftShoe" : "RightShoe", shoes, CVector(-0.022f, -0.01f, -0.04f),
             CVector(0.022f, 0.01f, 0.025f));
    }
    CJointNode* spine = joint(hips, "Spine", CVector(0, 0.03f, 0));
    part(spine, "Torso", jacket, CVector(-0.06f, 0, -0.035f), CVector(0.06f, 0.14f, 0.035f));
    for (int side = -1; side <= 1; side += 2) {
        CJointNode* arm = joint(spine, side < 0 ? "LeftArm" : "RightArm", CVector(side * 0.075f, 0.13f, 0));
        part(arm, side < 0 ? "LeftSleeve" : "RightSleeve", jacket, CVector(-0.015f, -0.13f, -0.015f),
             CVector(0.015f, 0, 0.015f));
        CJointNode* hand = joint(arm, side < 0 ? "LeftHand" : "RightHand", CVector(0, -0.13f, 0));
        part(hand, side < 0 ? "LeftPalm" : "RightPalm", skin, CVector(-0.012f, -0.03f, -0.012f),
             CVector(0.012f, 0, 0.012f));
    }
    CJointNode* neck = joint(spine, "Neck", CVector(0, 0.14f, 0));
    part(neck, "Head", skin, CVector(-0.03f, 0.01f, -0.03f), CVector(0.03f, 0.075f, 0.03f));
    part(neck, "Cap", cap, CVector(-0.033f, 0.06f, -0.033f), CVector(0.033f, 0.085f, 0.033f));
    // Centred on its origin like every other model; the feet keep the locator.
    root->Prepare();
    const CVector centre = root->originalCentre;
    hips->translation = hips->translation - centre;
    hips->localMatrix = MatrixTranslation(hips->translation);
    CJointNode* ground = joint(root, "Ground", -centre);
    ground->AddChild(new CLocatorNode("snapperShape"));
    root->Prepare();
    return AddModel(name, root, centre, folder);
}

void CLevel::MakeHero()
{
    CNode* folder = ModelFolder("Characters");
    CNode* objects = g_ObjectsTree->AddChild(new CNode("Characters"));
    const SModel hero = MakeFigure("Hero", Plain(0.18f, 0.2f, 0.26f), Plain(0.22f, 0.24f, 0.4f), folder);
    Define("Hero", objects, {{"STAND", hero}});
    CObjectLogic* logic = GiveLogic(defs_["Hero"], KIND_CHARACTER_A, "Hero");
    auto conditions = std::make_unique<CCharacterAState>();
    conditions->strength = 25.0f; // what the hero carries before it slows down
    // A burglar who picks locks well and knows little of safes and alarm systems.
    conditions->age = 34;
    conditions->skillfulness = 0.6f;
    conditions->pickLocks = 0.7f;
    conditions->pickSafes = 0.2f;
    conditions->alarmSystems = 0.1f;
    conditions->weight = 75.0f;
    conditions->fighting = 0.3f;
    conditions->coolness = 0.5f;
    logic->ownConditions = std::move(conditions);
    // A passer-by in the hero's clothes that walks up the pavement and turns to the street.
    Define("Passant", objects, {{"STAND", hero}});
    CObjectLogic* walker = GiveLogic(defs_["Passant"], KIND_CHARACTER_B, "Walk");
    SetPosition(walker->ownTaskList->tasks.front().get(), 0, kWalkerGoal);
    auto turn = std::make_unique<CTaskItem>(0, TaskTypeByName("Turn"));
    turn->AddParameter(PARAM_NUMBER);
    static_cast<CIntParam*>(turn->parameters.back().get())->value = 90;
    walker->ownTaskList->AddTask(std::move(turn));
    // A stage hand out of sight who, a second after the start, closes the walk fog in to the
    // pavement ahead and turns it dark blue over two seconds: beyond its end nothing is drawn.
    Define("Regie", objects, {{"STAND", hero}});
    CObjectLogic* director = GiveLogic(defs_["Regie"], KIND_CHARACTER_B, "Fog");
    CTaskItem* fog = director->ownTaskList->tasks.front().get();
    fog->startTime = kFogChangeStart;
    // Duration, start and end distances, the colour and the fog mode, as the task's row gives them.
    const int32_t values[] = {2000, 0, 0, kFogEndColour[0], kFogEndColour[1], kFogEndColour[2], 2};
    for (size_t i = 0; i < std::size(values) && i < fog->parameters.size(); ++i)
        if (auto* number = dynamic_cast<CIntParam*>(fog->parameters[i].get()))
            number->value = values[i];
    static_cast<CRadiusParam*>(fog->parameters[1].get())->value = kFogEndDistances[0];
    static_cast<CRadiusParam*>(fog->parameters[2].get())->value = kFogEndDistances[1];
}

void CLevel::MakeBurglaryObjects()
{
    CNode* folder = ModelFolder("Burglary");
    CNode* objects = g_ObjectsTree->AddChild(new CNode("Burglary"));
    const SLook steel = Plain(0.42f, 0.45f, 0.5f), dark = Plain(0.12f, 0.12f, 0.14f);

    // The wall safe: a steel box whose door swings open to show the shelf.
    auto locker = [&](const char* name, bool open) {
        CMeshBuilder b;
        const int body = b.Material(steel), inner = b.Material(dark);
        b.Box(body, CVector(-0.12f, 0, -0.08f), CVector(0.12f, 0.03f, 0.08f));
        b.Box(body, CVector(-0.12f, 0.33f, -0.08f), CVector(0.12f, 0.36f, 0.08f));
        b.Box(body, CVector(-0.12f, 0.03f, -0.08f), CVector(-0.1f, 0.33f, 0.08f));
        b.Box(body, CVector(0.1f, 0.03f, -0.08f), CVector(0.12f, 0.33f, 0.08f));
        b.Box(body, CVector(-0.1f, 0.03f, 0.06f), CVector(0.1f, 0.33f, 0.08f));
        b.Box(inner, CVector(-0.1f, 0.15f, -0.06f), CVector(0.1f, 0.16f, 0.06f));
        const int door = b.Material(Plain(0.5f, 0.53f, 0.58f, 0.1f));
        if (open)
            b.Box(door, CVector(-0.14f, 0.03f, -0.28f), CVector(-0.12f, 0.33f, -0.08f));
        else
            b.Box(door, CVector(-0.1f, 0.03f, -0.08f), CVector(0.1f, 0.33f, -0.06f));
        b.Box(b.Material(Plain(0.85f, 0.75f, 0.3f, 0.3f)), CVector(0.04f, 0.17f, open ? -0.1f : -0.09f),
              CVector(0.07f, 0.2f, open ? -0.08f : -0.06f));
        // The safe blocks the floor it stands on, as furniture does; its door swings into the
        // space in front, where the attack point lies.
        b.ClosedOutline({{-0.12f, 0, -0.08f}, {0.12f, 0, -0.08f}, {0.12f, 0, 0.08f}, {-0.12f, 0, 0.08f}});
        const SModel m = AddModel(name, b, folder);
        m.entry->antiGround = true;
        AddAttackPoints(m, {CVector(0, 0, -0.25f)});
        return m;
    };
    const SModel safeClosed = locker("Tresor_zu", false), safeOpen = locker("Tresor_offen", true);
    Define("Tresor", objects,
           {{"CLOSED", safeClosed}, {"OPENING", safeOpen}, {"OPEN", safeOpen}, {"CLOSING", safeClosed}});
    {
        CObjectLogic* logic = GiveLogic(defs_["Tresor"], KIND_FIXED, "Kasterl");
        SetValues(logic->ownKindData.get(), {kLockerWorkingTime});
        auto* data = static_cast<CFixedKindData*>(logic->ownKindData.get());
        data->values[1] = kMaterialSteel;
        data->values[2] = kCrackSafes;
        logic->ownConditions = std::make_unique<CFixedState>();
    }

    // The loot: a casket of jewellery, worth 5,000 and weighing 2.
    {
        CMeshBuilder b;
        b.Box(b.Material(Plain(0.55f, 0.2f, 0.15f)), CVector(-0.04f, 0, -0.025f),
              CVector(0.04f, 0.035f, 0.025f));
        b.Box(b.Material(Plain(0.95f, 0.8f, 0.25f, 0.5f)), CVector(-0.042f, 0.035f, -0.027f),
              CVector(0.042f, 0.045f, 0.027f));
        const SModel casket = AddModel("Schmuckkassette", b, folder);
        // Taken from in front of the safe, at whose shelf it lies.
        AddAttackPoints(casket, {CVector(0, -0.16f, -0.25f)});
        Define("Schmuck", objects, {{"STAND", casket}});
        CObjectLogic* logic = GiveLogic(defs_["Schmuck"], KIND_LOOT, "Inventory Object");
        SetValues(logic->ownKindData.get(), {2.0f, 5000.0f});
        CTaskItem* take = logic->ownTaskList->tasks.front().get();
        SetNumber(take, 1, 1); // taken out of the safe at waist height
    }

    // The picklock: weight, price, then its effectiveness against alarm systems, locks and safes, the
    // breaks-object flag, and per material (glass, wood, steel, high-tech) its factor and its noise.
    {
        CMeshBuilder b;
        const int metal = b.Material(Plain(0.7f, 0.72f, 0.75f, 0.2f));
        b.Box(metal, CVector(-0.05f, 0, -0.004f), CVector(0.03f, 0.006f, 0.004f));
        b.Box(b.Material(Plain(0.6f, 0.15f, 0.1f)), CVector(0.03f, 0, -0.01f), CVector(0.06f, 0.01f, 0.01f));
        const SModel picklock = AddModel("Dietrich", b, folder);
        AddAttackPoints(picklock, {CVector(0.12f, 0, 0), CVector(-0.12f, 0, 0)});
        Define("Dietrich", objects, {{"STAND", picklock}});
        CObjectLogic* logic = GiveLogic(defs_["Dietrich"], KIND_TOOL, "Inventory Object");
        SetValues(logic->ownKindData.get(), {0.2f, 150.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.3f, 1.0f,
                                             0.5f, 0.0f, 0.05f, 0.05f, 0.1f, 0.1f});
        logic->ownKindData->Values()[CToolKindData::kDamaging] = 0;
        auto tool = std::make_unique<CToolState>();
        tool->condition = 3.0f; // three attempts before it is worn out
        logic->ownConditions = std::move(tool);
        CTaskItem* take = logic->ownTaskList->tasks.front().get();
        SetNumber(take, 0, 1); // may be taken at any time
        SetNumber(take, 1, 1);
        // Doors and windows answer the picklock with their crack task.
        for (const char* passage : {"Door_Left", "Door_Right", "Door_Locked_Left", "Door_Locked_Right",
                                    "Window_Left", "Window_Right"}) {
            CTaskList& crack = OnAction(*defs_[passage].definition->objectLogic->ownTaskList, 4,
                                        defs_["Dietrich"].definition);
            SetNumber(AddItem(crack, "Crack"), 0, 0);
        }
    }

    // The getaway car, the gang's own ("*" marks the cars the gang may choose): it drives to its
    // destination once the hero sits in it, and the burglary ends as the gang gets in.
    {
        // The car code moves the wheels, chassis and body by the frames it finds under these
        // names; the car faces +z, its left side is -x.
        auto* root = new CRootNode();
        root->SetName("Fluchtwagen");
        auto frame = [&](const char* name, const CVector& at, const CMeshBuilder& b, const char* mesh) {
            auto* f = new CFrameNode(name);
            f->translation = at;
            f->scaling = CVector(1, 1, 1);
            f->localMatrix = MatrixTranslation(at);
            f->AddChild(b.BuildMesh(mesh));
            root->AddChild(f);
            return f;
        };
        const SLook paint = Plain(0.55f, 0.08f, 0.08f, 0.1f);
        CMeshBuilder chassis;
        chassis.Box(chassis.Material(paint), CVector(-0.18f, 0.05f, -0.45f), CVector(0.18f, 0.18f, 0.45f));
        std::vector<CFrameNode*> frames = {frame("ch", CVector(0, 0, 0), chassis, "Chassis")};
        CMeshBuilder body;
        body.Box(body.Material(paint), CVector(-0.16f, 0.18f, -0.22f), CVector(0.16f, 0.3f, 0.2f));
        const int glass = body.Material(Look("glass", 1.0f));
        body.Box(glass, CVector(-0.15f, 0.19f, 0.2f), CVector(0.15f, 0.29f, 0.22f));
        body.Box(glass, CVector(-0.15f, 0.19f, -0.24f), CVector(0.15f, 0.29f, -0.22f));
        body.Box(body.Material(Plain(1.0f, 0.95f, 0.7f, 0.9f)), CVector(-0.15f, 0.1f, 0.45f),
                 CVector(0.15f, 0.14f, 0.46f));
        frames.push_back(frame("car", CVector(0, 0, 0), body, "Body"));
        // Each wheel turns about its own centre.
        CMeshBuilder tyre;
        tyre.Box(tyre.Material(Plain(0.05f, 0.05f, 0.05f)), CVector(-0.02f, -0.06f, -0.07f),
                 CVector(0.02f, 0.06f, 0.07f));
        for (const auto& [name, x, z] : {std::tuple{"vrl", -0.17f, 0.28f}, std::tuple{"vrr", 0.17f, 0.28f},
                                         std::tuple{"hrl", -0.17f, -0.28f}, std::tuple{"hrr", 0.17f, -0.28f}})
            frames.push_back(frame(name, CVector(x, 0.06f, z), tyre, "Tyre"));
        // Centred on its origin like every other model.
        root->Prepare();
        const CVector centre = root->originalCentre;
        for (CFrameNode* f : frames) {
            f->translation = f->translation - centre;
            f->localMatrix = MatrixTranslation(f->translation);
        }
        root->Prepare();
        const SModel car = AddModel("Fluchtwagen", root, centre, folder);
        AddAttackPoints(car, {CVector(-0.3f, 0, 0), CVector(0.3f, 0, 0)});
        Define("*hero_car", objects, {{"STAND", car}});
        CObjectLogic* logic = GiveLogic(defs_["*hero_car"], KIND_CAR, "Fluchtwagen");
        // Transport space (200 lbs), top speed, acceleration, value, driving.
        SetValues(logic->ownKindData.get(), {2.0f, 1.5f, 0.8f, 2000.0f, 4.0f});
        logic->ownConditions = std::make_unique<CCarState>();
        AddItem(OnAction(*logic->ownTaskList, 0), "Finish Burglary");
    }

    // The phone box from which the gang calls for its plans.
    {
        CMeshBuilder b;
        const int frame = b.Material(Plain(0.8f, 0.12f, 0.1f, 0.2f)); // signal red
        b.Box(frame, CVector(-0.1f, 0, -0.1f), CVector(0.1f, 0.03f, 0.1f));
        b.Box(frame, CVector(-0.1f, 0.52f, -0.1f), CVector(0.1f, 0.58f, 0.1f));
        for (float x : {-0.1f, 0.085f})
            for (float z : {-0.1f, 0.085f})
                b.Box(frame, CVector(x, 0.03f, z), CVector(x + 0.015f, 0.52f, z + 0.015f));
        b.Box(b.Material(Look("glass", 1.0f)), CVector(-0.085f, 0.1f, 0.09f), CVector(0.085f, 0.5f, 0.095f));
        b.Box(b.Material(Plain(0.2f, 0.2f, 0.22f)), CVector(-0.03f, 0.28f, 0.06f),
              CVector(0.03f, 0.36f, 0.085f));
        b.ClosedOutline({{-0.1f, 0, -0.1f}, {0.1f, 0, -0.1f}, {0.1f, 0, 0.1f}, {-0.1f, 0, 0.1f}});
        SModel box = AddModel("Telefonzelle", b, folder);
        box.entry->antiGround = true;
        AddAttackPoints(box, {CVector(0, 0, 0.22f)});
        Define("Telefon", objects, {{"STAND", box}});
        CObjectLogic* logic = GiveLogic(defs_["Telefon"], KIND_FIXED, "DoNothing");
        AddItem(OnAction(*logic->ownTaskList, 0), "Plan Mode");
    }

    // The manhole cover where the gang's car stops: it carries the burglary target.
    {
        CMeshBuilder b;
        b.Box(b.Material(Plain(0.2f, 0.2f, 0.2f)), CVector(-0.06f, 0, -0.06f), CVector(0.06f, 0.01f, 0.06f));
        Define("Einbruch", objects, {{"STAND", AddModel("Gullydeckel", b, folder)}});
        CObjectLogic* logic = GiveLogic(defs_["Einbruch"], KIND_FIXED, "BurglaryTarget");
        logic->ownKindData->clickable = 0;
    }

    // The night watchman, the passers-by of the streets and the hero's accomplice.
    const SModel guard =
        MakeFigure("Wachmann", Plain(0.1f, 0.16f, 0.12f), Plain(0.12f, 0.14f, 0.12f), folder);
    Define("Wachmann", objects, {{"STAND", guard}});
    GiveLogic(defs_["Wachmann"], KIND_CHARACTER_B, "Guard");
    const SModel walker =
        MakeFigure("Fussgaenger", Plain(0.6f, 0.45f, 0.3f), Plain(0.3f, 0.3f, 0.32f), folder);
    Define("Fussgaenger", objects, {{"STAND", walker}});
    GiveLogic(defs_["Fussgaenger"], KIND_CHARACTER_C, "CharacterC walk");
    const SModel mate = MakeFigure("Komplize", Plain(0.3f, 0.22f, 0.18f), Plain(0.32f, 0.26f, 0.2f), folder);
    Define("Komplize", objects, {{"STAND", mate}});
    CObjectLogic* logic = GiveLogic(defs_["Komplize"], KIND_CHARACTER_A, "DoNothing");
    auto attributes = std::make_unique<CCharacterAState>();
    attributes->age = 29;
    attributes->skillfulness = 0.4f;
    attributes->alarmSystems = 0.6f;
    attributes->weight = 82.0f;
    attributes->pickLocks = 0.3f;
    attributes->pickSafes = 0.5f;
    attributes->fighting = 0.5f;
    attributes->strength = 40.0f;
    attributes->coolness = 0.4f;
    logic->ownConditions = std::move(attributes);
}

void CLevel::BuildBurglary(bool alert)
{
    // The target, Haus_C: its front door is locked; the safe stands inside by the north wall, its
    // door towards the front door.
    CWorldObject* door = targetDoor_;
    door->reference = defs_["Door_Locked_Left"].definition;
    const CVector safeAt(-1.4f, kSlab, 2.05f);
    CWorldObject* safe = PlaceObject(targetInside_, "Tresor", defs_["Tresor"], safeAt);
    CWorldObject* loot = PlaceObject(safe, "Schmuck", defs_["Schmuck"], safeAt + CVector(0, 0.16f, 0));
    // The alarm contact of the window by the pavement: broken in, it puts the front door and the
    // safe into alarm. While planning, the pointer on the window shows them in the inset view.
    auto contact = std::make_unique<CDependency>();
    contact->useStates = 1;
    contact->AddStateCondition(STATE_BROKEN, true);
    for (CWorldObject* wired : {door, safe}) {
        CTaskItem* alarm = AddItem(*contact->childList, "SetRemoteAlarmState");
        SetNumber(alarm, 0, 1);
        SetObject(alarm, 1, wired);
    }
    OwnLogic(FindWorldObject(static_cast<CWorldObject*>(targetInside_->parent), "Fenster"))
        ->ownTaskList->AddDependency(std::move(contact));
    PlaceObject(g_WorldRoot, "Dietrich", defs_["Dietrich"], kPicklockAt);
    PlaceObject(g_WorldRoot, "Telefon", defs_["Telefon"], kPhoneAt);
    PlaceObject(g_WorldRoot, "Komplize", defs_["Komplize"], CVector(-0.6f, 0.02f, 1.9f));
    CWorldObject* walkers = Group(g_WorldRoot, "Fussgaenger");
    for (const CVector& at : {CVector(0.72f, 0.02f, -3.2f), CVector(0.72f, 0.02f, 3.2f)})
        PlaceObject(walkers, "Fussgaenger", defs_["Fussgaenger"], at);

    // The watchman's night: the placed watchman's own list, in game time. On his round he walks to
    // Haus_A, tries its door, waits, and later looks at the safe; in the alert variant he stands
    // on the pavement in front of the target, where the gang passes.
    CWorldObject* guard = PlaceObject(g_WorldRoot, "Wachmann", defs_["Wachmann"],
                                      alert ? CVector(-0.72f, 0.02f, 1.9f) : CVector(-0.72f, 0.02f, -3.0f));
    {
        CTaskList& round = OwnTaskList(guard);
        SetPosition(AddItem(round, "Guard", 0), 1, alert ? kGuardAlertPost : kGuardPost);
        CTaskItem* check = AddItem(round, "Check doors and windows", 12'000);
        SetObject(check, 0, watchedDoor_);
        SetNumber(check, 2, 1);
        SetNumber(check, 3, 1);
        SetNumber(AddItem(round, "WaitGuard", 24'000), 1, 8000);
        SetPosition(AddItem(round, "Guard", 40'000), 1,
                    alert ? kGuardAlertPost : CVector(-0.72f, 0.02f, -3.3f));
        CTaskItem* look = AddItem(round, "Check Lockers", kGuardSafeCheck);
        SetObject(look, 0, safe);
        SetNumber(look, 2, 1);
        SetNumber(look, 3, 1);
        SetNumber(look, 4, 1);
    }

    // The burglary: where car and gang start, what belongs to it, the share of the loot it needs
    // and its par time.
    // The gang's own car waits where the burglary starts: the plan chooses it from the cars
    // standing in the world.
    CWorldObject* getaway = PlaceObject(street_, "Fluchtwagen", defs_["*hero_car"], kCarAt);
    getaway->angle = 3.1415927f;
    CWorldObject* target = PlaceObject(street_, "Einbruch", defs_["Einbruch"], kCarAt);
    CTaskItem* burglary = AddItem(OwnTaskList(target), "BurglaryTarget");
    SetNumber(burglary, 0, 1);
    SetRadius(burglary, 1, 3.5f);
    SetPosition(burglary, 2, kCarAt);
    for (size_t member = 0; member < 4; ++member)
        SetPosition(burglary, 3 + member, kGangAt + CVector(0, 0, -0.15f * float(member)));
    CWorldObject* parts[] = {door, targetWindow_, safe, loot, guard};
    for (size_t i = 0; i < std::size(parts); ++i)
        SetObject(burglary, 9 + i, parts[i]);
    SetNumber(burglary, 19, kLootNeeded);
    SetNumber(burglary, 20, kParTime);
    SetNumber(burglary, 21, 90);
}

void CLevel::BuildStreet()
{
    street_ = Group(g_WorldRoot, "Strasse");
    std::vector<CWorldObject*> road;
    for (int i = 0; i < kRoadPieces; ++i) {
        const float z = kStreetZ0 + (float(i) + 0.5f) * kPieceLength;
        road.push_back(Place(street_, "Fahrbahn", models_[kRoadPiece], offset_ + CVector(0, 0, z)));
        road.back()->angle = 1.5707964f;
    }
    Place(street_, "Mittellinie", models_["Mittellinie"], offset_);
    pavements_[0] = Place(street_, "Gehweg_West", models_["Gehweg_West"], offset_);
    pavements_[1] = Place(street_, "Gehweg_Ost", models_["Gehweg_Ost"], offset_);
    Place(street_, "Wiese", models_["Wiese"], offset_);
    auto join = [](CWorldObject* a, CWorldObject* b) {
        a->AddConnection(b, false);
        b->AddConnection(a, false);
    };
    for (size_t i = 0; i < road.size(); ++i) {
        if (i > 0)
            join(road[i - 1], road[i]);
        for (CWorldObject* pavement : pavements_)
            join(road[i], pavement);
    }

    CWorldObject* lamps = Group(street_, "Laternen");
    for (const CVector& at :
         {CVector(-0.88f, 0.02f, -1.2f), CVector(0.88f, 0.02f, 0.0f), CVector(-0.88f, 0.02f, 1.9f)}) {
        const CVector where = at + offset_ + CVector(0, 0, Jitter(0.3f));
        Place(lamps, "Laterne", models_["Laterne"], where);
        PointLight(lamps, "Laternenlicht", where + CVector(0, 0.7f, 0), 1.0f, 0.85f, 0.55f, 1.6f);
    }
    CWorldObject* trees = Group(street_, "Baeume");
    for (const CVector& at : {CVector(-1.95f, 0, 0.0f), CVector(1.95f, 0, 0.05f), CVector(-1.5f, 0, 3.05f),
                              CVector(1.6f, 0, 3.0f), CVector(-3.3f, 0, -1.4f), CVector(3.3f, 0, 1.3f)})
        Place(trees, "Baum", models_["Baum"], at + offset_ + CVector(Jitter(0.15f), 0, Jitter(0.3f)));
}

void CLevel::BuildHouse(const char* name, const CVector& o, int turns, bool brick)
{
    const std::string tag = turns == 1 ? "_L" : "_R";
    const std::string side = turns == 1 ? "Left" : "Right";
    auto at = [&](float x, float y, float z) { return o + Turn(CVector(x, y, z), turns); };
    CWorldObject* house = Group(g_WorldRoot, name);
    // The garden path from the pavement to the door.
    CWorldObject* pavement = pavements_[turns == 1 ? 0 : 1];
    const CVector door = at(1.0f, 0, 0);
    CWorldObject* path = Place(street_, "Gartenweg", models_["Gartenweg"],
                               CVector(offset_.x + (turns == 1 ? -1.15f : 0.95f), 0, door.z - 0.15f));
    pavement->AddConnection(path, false);
    path->AddConnection(pavement, false);

    CWorldObject* floors[2] = {};
    CWorldObject* stairs = nullptr;
    for (int storey = 0; storey < 2; ++storey) {
        const float y = storey * kStorey, fy = y + kSlab;
        char floorName[16];
        std::snprintf(floorName, sizeof floorName, "Stockwerk_%d", storey + 1);
        CWorldObject* floor = Group(house, floorName);
        CWorldObject* outside = Group(floor, "aussen");
        CWorldObject* inside = Group(floor, "innen");
        const std::string part = std::string("Wand") + char('1' + storey);
        Place(outside, "Wand", models_[HouseModelName(part.c_str(), brick, turns)], o);
        if (storey == 1)
            Place(outside, "Dach", models_[HouseModelName("Dach", brick, turns)], o);
        const std::vector<float> windows =
            storey ? std::vector<float>{0.4f, 1.0f, 1.6f} : std::vector<float>{0.4f, 1.6f};
        for (float x : windows) {
            CWorldObject* window =
                PlaceObject(outside, "Fenster", defs_["Window_" + side], at(x, y + kWinSill, 0));
            if (storey == 0)
                lastWindow_ = window;
        }

        if (storey == 0) {
            lastDoor_ = PlaceObject(outside, "Haustuer", defs_["Door_" + side], at(1.0f, y, 0));
            lastInside_ = inside;
            // The house's own light: a lightmap made for the house alone lights its front.
            if (!brick)
                SpotLight(outside, "Eingangslicht", at(1.0f, kDoorH + 0.12f, -0.08f), 1.0f, 1.0f, 0.8f);
            floors[0] = Place(inside, "Boden", models_[(brick ? "Boden_Holz" : "Boden_Fliesen") + tag], o);
            stairs = Place(inside, "Treppe", models_["Treppe_Holz" + tag], o);
            if (brick) {
                Place(inside, "Tisch", models_["Tisch"], at(1.3f, fy, 1.0f));
                Place(inside, "Stuhl", models_["Stuhl"], at(1.3f, fy, 1.16f));
                Place(inside, "Sofa", models_["Sofa"], at(1.5f, fy, 0.2f));
                Place(inside, "Schrank", models_["Schrank"], at(0.7f, fy, kHouseD - 0.2f));
            } else {
                Place(inside, "Kueche", models_["Kueche"], at(1.4f, fy, kHouseD - 0.2f));
                Place(inside, "Tisch", models_["Tisch"], at(1.2f, fy, 0.8f));
                Place(inside, "Stuhl", models_["Stuhl"], at(1.0f, fy, 0.8f));
            }
        } else {
            floors[1] = Place(inside, "Boden", models_["Boden_Oben" + tag], o);
            Place(inside, "Bett", models_["Bett"], at(1.6f, fy, 1.1f));
            Place(inside, "Schrank", models_["Schrank"], at(1.0f, fy, kHouseD - 0.2f));
            Place(inside, "Stuhl", models_["Stuhl"], at(0.8f, fy, 0.4f));
        }
        PointLight(inside, "Deckenlampe", at(1.0f, y + kStorey - 0.06f, kHouseD / 2), 1.0f, 0.9f, 0.7f, 1.2f);
    }
    // From the garden path through the door to the ground floor, up the stairs.
    path->AddConnection(floors[0], true);
    floors[0]->AddConnection(path, true);
    floors[0]->AddConnection(stairs, false);
    stairs->AddConnection(floors[0], false);
    stairs->AddConnection(floors[1], false);
    floors[1]->AddConnection(stairs, false);
}

bool CLevel::Build(bool alert)
{
    MakeStreetModels();
    MakeHouseModels();
    MakeFurniture();
    MakeDoorsAndWindows();
    MakeHero();
    MakeBurglaryObjects();
    BuildStreet();
    // Two houses on each side of the street, their fronts towards it.
    BuildHouse("Haus_A", CVector(-1.15f, 0, -2.4f), 1, true);
    watchedDoor_ = lastDoor_;
    BuildHouse("Haus_B", CVector(1.15f, 0, -0.4f), 3, false);
    BuildHouse("Haus_C", CVector(-1.15f, 0, 0.4f), 1, false);
    targetDoor_ = lastDoor_;
    targetWindow_ = lastWindow_;
    targetInside_ = lastInside_;
    BuildHouse("Haus_D", CVector(1.15f, 0, 2.4f), 3, true);
    BuildBurglary(alert);
    // The hero waits on the pavement, where the game camera looks.
    PlaceObject(g_WorldRoot, "Held", defs_["Hero"], CVector(-0.72f, 0.02f, 0.1f));
    PlaceObject(g_WorldRoot, "Passant", defs_["Passant"], kWalkerStart);
    PlaceObject(g_WorldRoot, "Regie", defs_["Regie"], CVector(-0.72f, 0.02f, -3.6f));
    // Task parameters, plans and recordings name objects by their recorder ids: the objects the
    // burglary names and the gang get theirs, in the order of the world tree.
    int32_t recorderId = 0;
    WalkWorldTree(g_WorldRoot, [&](CWorldObject* node) {
        const CObjectNode* d = node->Definition();
        static const char* const kRecorded[] = {"Hero",        "Komplize", "Door_Left", "Door_Locked_Left",
                                                "Window_Left", "Tresor",   "Schmuck",   "Dietrich",
                                                "Wachmann"};
        if (d && std::any_of(std::begin(kRecorded), std::end(kRecorded),
                             [d](const char* name) { return std::strcmp(d->GetName(), name) == 0; }))
            OwnLogic(node)->recorderId = ++recorderId;
    });
    return true;
}

bool CLevel::BuildTown(uint32_t seed)
{
    CRandom random(seed);
    rnd_ = &random;
    MakeStreetModels();
    MakeHouseModels();
    MakeFurniture();
    MakeDoorsAndWindows();
    MakeHero();
    // The streets lie 12 units apart (the width of a block with its gardens),
    // the blocks 7.5 units along each street.
    int house = 0;
    for (int street = 0; street < 2; ++street)
        for (int block = 0; block < 5; ++block) {
            offset_ = CVector(12.0f * float(street), 0, 7.5f * float(block));
            BuildStreet();
            const std::pair<CVector, int> places[] = {{CVector(-1.15f, 0, -2.4f), 1},
                                                      {CVector(1.15f, 0, -0.4f), 3},
                                                      {CVector(-1.15f, 0, 0.4f), 1},
                                                      {CVector(1.15f, 0, 2.4f), 3}};
            for (const auto& [origin, turns] : places) {
                char name[24];
                std::snprintf(name, sizeof name, "Haus_%02d", ++house);
                BuildHouse(name, origin + offset_ + CVector(0, 0, Jitter(0.05f)), turns,
                           (random.Next() & 1) != 0);
            }
        }
    offset_ = CVector(0, 0, 0);
    PlaceObject(g_WorldRoot, "Held", defs_["Hero"], CVector(-0.72f, 0.02f, 0.1f));
    rnd_ = nullptr;
    return true;
}

bool SaveLevel(SContext& c, const std::function<bool(CLevel&)>& build)
{
    const uint8_t savedMode = GameModeFlag;
    GameModeFlag = 0;
    CreateWorldRoots();
    CLevel level(c);
    bool ok = build(level);
    const fs::path file = c.out / "Varek.wld";
    std::string error;
    // Groups keep their bounding spheres, as a world saved by the editor has them.
    if (ok)
        RecomputeWorldBounds();
    if (ok && !SaveWorld(file.string().c_str(), &error)) {
        c.error = file.string() + ": " + error;
        ok = false;
    }
    // SaveWorld keeps the previous file as ".bak"; a fresh installation has none.
    std::error_code ec;
    fs::remove(c.out / "Varek.bak", ec);
    DestroyWorldRoots();
    GameModeFlag = savedMode;
    return ok;
}

} // namespace

bool MakeLevel(SContext& c)
{
    return SaveLevel(c, [&c](CLevel& level) { return level.Build(c.alert); });
}

bool MakeLargeTown(SContext& c)
{
    return SaveLevel(c, [](CLevel& level) { return level.BuildTown(20261210u); });
}

} // namespace sample

#pragma once
// Street pieces built in code: flat piece models named as the piece table
// names them, placed on a grid and joined by two-way path connections.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "GAMES/Rulo2/navigation/StreetPieces.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/navigation/NavWorld.h"

namespace navtest {

inline const char* const kStraight2 = "street_Stra\xDF"
                                      "e_Gerade2";
inline const char* const kCrossing2 = "street_Stra\xDF"
                                      "e_Kreuzung2";

// A piece of the given half extents on x and z, centred on its position.
inline CWorldObject* PlacePiece(World& world, const char* name, const CVector& at, float halfX, float halfZ,
                                float yaw = 0.0f)
{
    CWorldObject* piece =
        world.Place(ShapeEntry(name, Square(-halfX, -halfZ, halfX, halfZ), kClosedEdges), at);
    piece->angle = yaw;
    return piece;
}

// The application log of a test, read back as one text.
class AppLog
{
public:
    AppLog()
    {
        path_ = std::filesystem::temp_directory_path() /
                ("streets_log_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) + ".txt");
        std::filesystem::remove(path_);
        LogPrintfSetTarget(&on_, path_.string().c_str());
    }
    ~AppLog()
    {
        LogPrintfSetTarget(nullptr, "");
        std::filesystem::remove(path_);
    }
    std::string text() const
    {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool has(const std::string& line) const { return text().find(line) != std::string::npos; }

private:
    static inline int counter_ = 0;
    uint8_t on_ = 1;
    std::filesystem::path path_;
};

} // namespace navtest

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/navigation/CCar.h"
#include "GAMES/Rulo2/world/CFrameNode.h"

namespace navtest {

// A car model with the wheel, chassis and body frames the car binds; the front
// left wheel carries a mesh 0.1 high. `leaveOut` names a frame not made.
inline CModelEntry* CarModel(const char* leaveOut = nullptr, bool secondRearWheels = false)
{
    auto* entry = new CModelEntry();
    entry->SetName("carmodel");
    auto* root = new CRootNode();
    root->SetName("carmodel");
    std::vector<const char*> names = {"ch", "car", "vrl", "vrr", "hrl", "hrr"};
    if (secondRearWheels) {
        names.push_back("hrl2");
        names.push_back("hrr2");
    }
    for (const char* name : names) {
        if (leaveOut && std::string(leaveOut) == name)
            continue;
        auto* frame = new CFrameNode(name);
        frame->localMatrix.m[12] = 0.05f;
        if (std::string(name) == "vrl")
            frame->AddChild(TriangleMesh("tyre", 0, 0, 0, 0.1f));
        root->AddChild(frame);
    }
    root->boundsRadius = 0.6f;
    entry->model = root;
    return entry;
}

// A car object (kind 9) with its conditions, kind data and model, facing the
// way-point yaw `yaw` (0 along +z).
inline CWorldObject* PlaceCar(World& world, const CVector& at, float yaw, CModelEntry* model,
                              float maxSpeed = 3.0f, float acceleration = 2.0f)
{
    CWorldObject* car = world.Object("car", KIND_CAR, at, {"STAND"});
    world.entries.emplace_back(model);
    car->Definition()->firstState->modelEntry = model;
    car->angle = yaw + 1.5707964f;
    CObjectLogic* logic = car->objectLogic;
    logic->conditions = CKindState::Create(KIND_CAR);
    uint32_t* values = logic->ownKindData->Values();
    values[1] = FloatAsWord(maxSpeed);
    values[2] = FloatAsWord(acceleration);
    car->boundsAMin = at + CVector(-0.2f, 0, -0.1f);
    car->boundsAMax = at + CVector(0.2f, 0.2f, 0.1f);
    return car;
}

inline CCar* CarOf(CWorldObject* car)
{
    return car->objectLogic->GetCar();
}

// A straight road of two-lane pieces along +x, one unit apart, from x = 0.
inline std::vector<CWorldObject*> StraightRoad(World& world, int count)
{
    std::vector<CWorldObject*> pieces;
    for (int i = 0; i < count; ++i) {
        pieces.push_back(PlacePiece(world, kStraight2, {float(i), 0, 0}, 0.5f, 1.0f));
        if (i > 0)
            Connect(pieces[size_t(i) - 1], pieces[size_t(i)]);
    }
    return pieces;
}

// Drives a car frame by frame on the game clock until it stands at the end of
// its way-points or `frames` ran out; the number of frames driven.
inline int DriveToEnd(CCar* car, int frames, int32_t step = 40)
{
    int n = 0;
    for (; n < frames && size_t(car->wayPointIndex) < car->wayPoints.size(); ++n) {
        GameClock.gameClock += step;
        car->Drive(car->carNode);
    }
    GameClock.gameClock += step;
    car->Drive(car->carNode);
    return n;
}

} // namespace navtest

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

// The street-piece table and its lane geometry.
#include "GAMES/Rulo2/navigation/StreetPieces.h"

#include <cmath>

#include "GAMES/Rulo2/world/CWorldObject.h"

StreetPiece StreetPieceTable[kStreetPieceKinds] = {
    {"street_hubble_X2"},
    {"street_2_auf_1"},
    {"street_Stra\xDF"
     "e_2x1auf2"},
    {"street_Stra\xDF"
     "e_Kurve2"},
    {"street_Stra\xDF"
     "e_Gerade2Schr\xE4g"},
    {"street_Stra\xDF"
     "e_Gerade2Schr\xE4gFlach"},
    {"street_Stra\xDF"
     "e_Gerade2"},
    {"street_Stra\xDF"
     "e_Kreuzung2"},
    {"street_Stra\xDF"
     "e_T2"},
    {"street_T_krzg_x2_auf1"},
    {"street_T_2auf1"},
    {"street_Stra\xDF"
     "e_T1auf2x2"},
    {"street_Stra\xDF"
     "e_T1"},
    {"street_Stra\xDF"
     "e_Kurve1"},
    {"street_Stra\xDF"
     "e_Gerade1"},
    {"street_Stra\xDF"
     "e_T1auf2x2Schmal"},
    {"street_Stra\xDF"
     "e_Kreuzung1"},
    {"street_Stra\xDF"
     "e_Gerade1Schr\xE4g"},
    {"street_Stra\xDF"
     "e_Gerade2Kurz"},
    {"street_fixtool"},
};
int32_t StreetPieceCount = kStreetPieceKinds;

namespace {

constexpr float kTurn = 0.2617994f;
// Angle steps: a whole quarter turn in 19 steps, a quarter stopping one step
// short, a half turn stopping one step short.
constexpr float kQuarter = 0.08267349f;
constexpr float kShortQuarter = 0.07853982f;
constexpr float kShortHalf = 0.15707964f;

// One coordinate of a curve: base + factor * sin t (or cos t).
struct Term
{
    float base, factor;
    bool useSin;
    double at(double t) const { return double(base) + double(factor) * (useSin ? std::sin(t) : std::cos(t)); }
};
Term Sin(float base, float factor)
{
    return {base, factor, true};
}
Term Cos(float base, float factor)
{
    return {base, factor, false};
}

std::vector<CVector> Curve(float step, Term x, Term z)
{
    std::vector<CVector> points;
    points.reserve(20);
    for (int i = 0; i < 20; ++i) {
        const float t = float(i) * step;
        points.emplace_back(float(x.at(t)), 0.0f, float(z.at(t)));
    }
    return points;
}

std::vector<CVector> Line(const CVector& a, const CVector& b)
{
    return {a, b};
}

void AddLane(StreetPiece& piece, std::vector<CVector> lane, float turn)
{
    piece.lanes.push_back(std::move(lane));
    piece.laneTurn.push_back(turn);
}

// The twelve lanes of a crossing, in threes per entry side (turn +, straight, turn -).
void AddCrossing(StreetPiece& p, float edge, float near, float far, float lane)
{
    const float s = kQuarter;
    AddLane(p, Curve(s, Sin(edge, -near), Cos(edge, -near)), kTurn);
    AddLane(p, Line({edge, 0, lane}, {-edge, 0, lane}), 0);
    AddLane(p, Curve(s, Sin(edge, -far), Cos(-edge, far)), -kTurn);
    AddLane(p, Curve(s, Cos(-edge, near), Sin(edge, -near)), kTurn);
    AddLane(p, Line({-lane, 0, edge}, {-lane, 0, -edge}), 0);
    AddLane(p, Curve(s, Cos(edge, -far), Sin(edge, -far)), -kTurn);
    AddLane(p, Curve(s, Sin(-edge, near), Cos(-edge, near)), kTurn);
    AddLane(p, Line({-edge, 0, -lane}, {edge, 0, -lane}), 0);
    AddLane(p, Curve(s, Sin(-edge, far), Cos(edge, -far)), -kTurn);
    AddLane(p, Curve(s, Cos(edge, -near), Sin(-edge, near)), kTurn);
    AddLane(p, Line({lane, 0, -edge}, {lane, 0, edge}), 0);
    AddLane(p, Curve(s, Cos(-edge, far), Sin(-edge, far)), -kTurn);
}

// The six lanes of a T-junction (turns +, 0, +, -, 0, -): x edge and radii
// (near, far), z edge and radii, and the straight lanes' offset.
void AddT(StreetPiece& p, float xEdge, float xNear, float xFar, float zEdge, float zNear, float zFar,
          float lane)
{
    const float s = kQuarter;
    AddLane(p, Curve(s, Cos(-xEdge, xNear), Sin(zEdge, -zNear)), kTurn);
    AddLane(p, Line({-lane, 0, zEdge}, {-lane, 0, -zEdge}), 0);
    AddLane(p, Curve(s, Sin(-xEdge, xNear), Cos(-zEdge, zNear)), kTurn);
    AddLane(p, Curve(s, Sin(-xEdge, xFar), Cos(zEdge, -zFar)), -kTurn);
    AddLane(p, Line({lane, 0, -zEdge}, {lane, 0, zEdge}), 0);
    AddLane(p, Curve(s, Cos(-xEdge, xFar), Sin(-zEdge, zFar)), -kTurn);
}

void AddWideStraight(StreetPiece& p, const CVector (&points)[8])
{
    AddLane(p, Line(points[0], points[1]), 0);
    AddLane(p, Line(points[2], points[3]), 0);
    p.sideLines.push_back(Line(points[4], points[5]));
    p.sideLines.push_back(Line(points[6], points[7]));
}

bool SameAsciiNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        auto fold = [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u >= 'A' && u <= 'Z' ? u + 32 : u;
        };
        if (fold(*a) != fold(*b))
            return false;
        if (!*a)
            return true;
    }
}

} // namespace

void BuildStreetPieceLanes()
{
    for (StreetPiece& p : StreetPieceTable) {
        p.lanes.clear();
        p.sideLines.clear();
        p.laneTurn.clear();
        p.isJunction = 0;
    }
    StreetPiece* t = StreetPieceTable;

    AddLane(t[1], Line({0.95f, 0, 0.5f}, {-0.95f, 0, 0.25f}), 0);

    AddLane(t[2], Line({0.45f, 0, 0.5f}, {-0.45f, 0, 0.25f}), 0);
    AddLane(t[2], Line({-0.45f, 0, -0.25f}, {0.45f, 0, -0.5f}), 0);
    AddLane(t[2], Curve(kShortHalf, Sin(0.45f, -0.9f), Cos(0, 0.5f)), 0);
    AddLane(t[2], Curve(kShortHalf, Sin(0.45f, -0.9f), Cos(0, -0.5f)), 0);

    AddLane(t[3], Curve(kShortQuarter, Sin(0.95f, -1.2f), Cos(-0.95f, 1.2f)), kTurn);
    AddLane(t[3], Curve(kShortQuarter, Cos(0.95f, -0.7f), Sin(-0.95f, 0.7f)), -kTurn);
    t[3].sideLines.push_back(Curve(kQuarter, Sin(0.95f, -1.6f), Cos(-0.95f, 1.6f)));
    t[3].sideLines.push_back(Curve(kQuarter, Cos(0.95f, -0.2f), Sin(-0.95f, 0.2f)));

    AddWideStraight(t[4], {{0.25f, 0.25f, -0.45f},
                           {0.25f, -0.25f, 0.45f},
                           {-0.25f, -0.25f, 0.45f},
                           {-0.25f, 0.25f, -0.45f},
                           {0.65f, 0.25f, -0.45f},
                           {0.65f, -0.25f, 0.45f},
                           {-0.65f, -0.25f, 0.45f},
                           {-0.65f, 0.25f, -0.45f}});
    AddWideStraight(t[5], {{0.25f, 0.25f, -0.95f},
                           {0.25f, -0.25f, 0.95f},
                           {-0.25f, -0.25f, 0.95f},
                           {-0.25f, 0.25f, -0.95f},
                           {0.65f, 0.25f, -0.95f},
                           {0.65f, -0.25f, 0.95f},
                           {-0.65f, -0.25f, 0.95f},
                           {-0.65f, 0.25f, -0.95f}});
    AddWideStraight(t[6], {{0.45f, 0, 0.25f},
                           {-0.45f, 0, 0.25f},
                           {-0.45f, 0, -0.25f},
                           {0.45f, 0, -0.25f},
                           {0.45f, 0, 0.65f},
                           {-0.45f, 0, 0.65f},
                           {-0.45f, 0, -0.65f},
                           {0.45f, 0, -0.65f}});

    AddCrossing(t[7], 0.95f, 0.7f, 1.2f, 0.25f);
    AddT(t[8], 0.95f, 0.7f, 1.2f, 0.95f, 0.7f, 1.2f, 0.25f);
    AddT(t[11], 0.95f, 0.7f, 1.2f, 0.95f, 0.95f, 0.95f, 0.25f);
    AddT(t[12], 0.45f, 0.45f, 0.45f, 0.45f, 0.45f, 0.45f, 0);

    AddLane(t[13], Curve(kShortQuarter, Sin(0.45f, -0.45f), Cos(0.45f, -0.45f)), kTurn);
    AddLane(t[13], Curve(kShortQuarter, Cos(0.45f, -0.45f), Sin(0.45f, -0.45f)), -kTurn);

    AddLane(t[14], Line({0.45f, 0, 0}, {-0.45f, 0, 0}), 0);
    AddLane(t[14], Line({-0.45f, 0, 0}, {0.45f, 0, 0}), 0);

    AddT(t[15], 0.95f, 0.7f, 1.2f, 0.45f, 0.45f, 0.45f, 0.25f);
    AddCrossing(t[16], 0.45f, 0.45f, 0.45f, 0);

    AddLane(t[17], Line({0, 0.25f, -0.45f}, {0, -0.25f, 0.45f}), 0);
    AddLane(t[17], Line({0, -0.25f, 0.45f}, {0, 0.25f, -0.45f}), 0);

    AddLane(t[18], Line({0.2f, 0, 0.25f}, {-0.2f, 0, 0.25f}), 0);
    AddLane(t[18], Line({-0.2f, 0, -0.25f}, {0.2f, 0, -0.25f}), 0);

    for (int kind : {7, 8, 11, 12, 15, 16})
        t[kind].isJunction = 1;
}

int32_t FindStreetPiece(const char* name)
{
    if (!name)
        return -1;
    for (int32_t i = 0; i < StreetPieceCount; ++i)
        if (SameAsciiNoCase(StreetPieceTable[i].name, name))
            return i;
    return -1;
}

int32_t StreetPieceOf(const CWorldObject* node)
{
    return node ? FindStreetPiece(node->GetRefName()) : -1;
}

CVector RotateLanePoint(const CVector& p, float yaw)
{
    constexpr double kPi = 3.14159265358979323846;
    double a = std::fmod(double(yaw), 2 * kPi);
    if (a < 0)
        a += 2 * kPi;
    if (std::fabs(a - kPi / 2) <= kPi / 4)
        return CVector(p.z, p.y, -p.x);
    if (std::fabs(a - kPi) <= kPi / 4)
        return CVector(-p.x, p.y, -p.z);
    if (std::fabs(a - 3 * kPi / 2) > kPi / 4)
        return p;
    return CVector(-p.z, p.y, p.x);
}

CVector PlaceLanePoint(const CVector& point, const CWorldObject* piece)
{
    return RotateLanePoint(point, piece->angle) + piece->position;
}

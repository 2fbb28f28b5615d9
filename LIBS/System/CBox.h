#pragma once

// Bounding volumes and intersection primitives: the axis-aligned box, the
// box given by eight corners with its inward face planes, the sphere, the
// plane and the ray (a segment when its length counts).

#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

#include <cfloat>

// Tolerance of the plane, triangle and ray tests.
inline constexpr float kGeometryEpsilon = 1.1920929e-7f;

struct CRay
{
    CVector origin;
    CVector direction;
    float length;

    // Foot of the perpendicular from point; returns the squared distance
    // (direction taken as unit length).
    float closestPoint(const CVector& point, CVector& foot) const;
    // Closest points of the two infinite lines (unit directions); false
    // for parallel lines.
    bool closestPoints(const CRay& other, CVector& onThis, CVector& onOther) const;
    // As closestPoints, each point then kept within its own segment.
    bool closestPointsClamped(const CRay& other, CVector& onThis, CVector& onOther) const;
    // 0 at the origin, 1 at the end, measured on the dominant axis.
    float parameterAt(const CVector& point) const;
};

struct CPlane
{
    CVector normal;
    float distance;

    // Unit normal of the triangle (0,0,1 when degenerate); the distance is
    // the caller's to set.
    static void fromPoints(CVector& normal, const CVector& p0, const CVector& p1, const CVector& p2);
    // Side code of the segment: 1 origin below, 2 origin above, 4 end
    // below, 8 end above (0 within tolerance); t is where the line meets
    // the plane, FLT_MAX when parallel.
    int intersectRay(const CRay& ray, float& t) const;
};

struct CBox
{
    CVector min;
    CVector max;

    static const CBox Empty;
    static const CBox Infinite;

    // Only the x axis decides.
    bool isEmpty() const { return min.x > max.x; }

    void extend(const CVector& p);
    void fromPoints(const CVector* points, int count);
    void fromCorners(const CVector* corners8);
    // 3: both corners of other inside, 1: one of them, 0: neither.
    int contains(const CBox& other) const;
    bool overlap(const CBox& other) const;
    // Share of this box's x-z area covered by other.
    float overlapAmount(const CBox& other) const;
    // Segment origin .. origin + v. Result: 1 hit, 5 starts inside,
    // 9 ends inside, 15 both; 0 on a miss. entry and exit may be null.
    int intersectRay(const CVector& origin, const CVector& v, CVector* entry, CVector* exit) const;
    int longestAxis() const;
    int shortestAxis() const;
    void scaleAboutCenter(float factor);
    void scaleAboutCenter(const CVector& factors);
};

inline const CBox CBox::Empty{{FLT_MAX, FLT_MAX, FLT_MAX}, {-FLT_MAX, -FLT_MAX, -FLT_MAX}};
inline const CBox CBox::Infinite{{-1e20f, -1e20f, -1e20f}, {1e20f, 1e20f, 1e20f}};

inline void BBoxReset(CBox& box)
{
    box = CBox::Empty;
}

// Corner i has max x when bit 0 is set, max y for bit 1, max z for bit 2.
// The planes face inwards: normal . p >= distance inside.
struct CCornerBox
{
    CVector corners[8];
    CPlane planes[6];

    void fromBox(const CBox& box);
    void fromCorners(const CVector* corners8);
    void copyCorners(const CCornerBox& other);
    // Corners only; the planes keep what they were.
    void transform(const CMatrix& m);
    void derivePlanes();
};

struct CSphere
{
    CVector center;
    float radius;

    static const CSphere Empty;
    static const CSphere Infinite;

    bool isEmpty() const { return radius < 0.0f; }

    void extend(const CVector& p);
    // 0 apart (or either empty), 3 one inside the other, 1 overlapping.
    int relation(const CSphere& other) const;
    // Result codes as CBox::intersectRay, with the ray's length as its end.
    int intersectRay(const CRay& ray, CVector* entry, CVector* exit) const;
};

inline const CSphere CSphere::Empty{{0.0f, 0.0f, 0.0f}, -FLT_MIN};
inline const CSphere CSphere::Infinite{{0.0f, 0.0f, 0.0f}, 1e20f};

// Coordinates of p in the frame o, e1, e2: p = o + u e1 + v e2 (in the
// plane of the triangle). False for a degenerate triangle.
bool TriangleCoordinates(const CVector& o, const CVector& e1, const CVector& e2, const CVector& p, float& u,
                         float& v);

#include "LIBS/System/CBox.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEps = kGeometryEpsilon;
constexpr double kFar = 1e20;

double dotd(const CVector& a, const CVector& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

CVector along(const CVector& o, const CVector& v, double t)
{
    return CVector(float(o.x + t * v.x), float(o.y + t * v.y), float(o.z + t * v.z));
}

bool inside(const CBox& b, const CVector& p)
{
    return b.min.x <= p.x && p.x <= b.max.x && b.min.y <= p.y && p.y <= b.max.y && b.min.z <= p.z &&
           p.z <= b.max.z;
}

// Shared tail of the box and sphere tests: codes and points for a segment
// that meets the volume between tNear and tFar, ending at tEnd.
int segmentResult(const CVector& o, const CVector& v, double tNear, double tFar, double tEnd, CVector* entry,
                  CVector* exit)
{
    const bool startsInside = tNear < 0.0;
    const bool endsInside = tFar > tEnd;
    if (entry)
        *entry = startsInside ? o : along(o, v, tNear);
    if (exit)
        *exit = along(o, v, endsInside ? tEnd : tFar);
    // The stored codes: 1 hit, 5 starts inside, 9 ends inside, 15 both.
    if (startsInside)
        return endsInside ? 15 : 5;
    return endsInside ? 9 : 1;
}

} // namespace

// ---- CBox ----

void CBox::extend(const CVector& p)
{
    if (isEmpty()) {
        min = max = p;
        return;
    }
    for (int a = 0; a < 3; ++a) {
        if (p[a] < min[a])
            min[a] = p[a];
        else if (p[a] > max[a])
            max[a] = p[a];
    }
}

void CBox::fromPoints(const CVector* points, int count)
{
    *this = Empty;
    for (int i = 0; i < count; ++i)
        extend(points[i]);
}

void CBox::fromCorners(const CVector* corners8)
{
    fromPoints(corners8, 8);
}

int CBox::contains(const CBox& other) const
{
    const int n = int(inside(*this, other.min)) + int(inside(*this, other.max));
    return n == 2 ? 3 : n;
}

bool CBox::overlap(const CBox& other) const
{
    for (int a = 0; a < 3; ++a) {
        if (std::max(min[a], other.min[a]) > std::min(max[a], other.max[a]))
            return false;
    }
    return true;
}

float CBox::overlapAmount(const CBox& other) const
{
    if (!overlap(other))
        return 0.0f;
    const double area = (double(max.x) - min.x) * (double(max.z) - min.z);
    if (area == 0.0)
        return 1.0f;
    const double ox = double(std::min(max.x, other.max.x)) - std::max(min.x, other.min.x);
    const double oz = double(std::min(max.z, other.max.z)) - std::max(min.z, other.min.z);
    return float(ox * oz / area);
}

int CBox::intersectRay(const CVector& o, const CVector& v, CVector* entry, CVector* exit) const
{
    // The slab test would treat an inverted (empty) box as everything
    // outside it; nothing can hit an empty box.
    if (isEmpty())
        return 0;
    double tNear = -kFar, tFar = kFar;
    for (int a = 0; a < 3; ++a) {
        if (v[a] != 0.0f) {
            double t1 = (double(min[a]) - o[a]) / v[a];
            double t2 = (double(max[a]) - o[a]) / v[a];
            if (t1 > t2)
                std::swap(t1, t2);
            t1 = std::clamp(t1, -kFar, kFar);
            t2 = std::clamp(t2, -kFar, kFar);
            if (t1 > tNear)
                tNear = t1;
            if (t2 < tFar)
                tFar = t2;
        } else if (!(min[a] <= o[a] && o[a] <= max[a])) {
            return 0;
        }
        if (tNear > tFar)
            return 0;
    }
    if (tNear > 1.0 || tFar < 0.0)
        return 0;
    return segmentResult(o, v, tNear, tFar, 1.0, entry, exit);
}

int CBox::longestAxis() const
{
    int best = 0;
    double bestExtent = double(max.x) - min.x;
    for (int a = 1; a < 3; ++a) {
        const double e = double(max[a]) - min[a];
        if (e > bestExtent) {
            best = a;
            bestExtent = e;
        }
    }
    return bestExtent > 0.0 ? best : 0;
}

int CBox::shortestAxis() const
{
    const double ex = double(max.x) - min.x, ey = double(max.y) - min.y, ez = double(max.z) - min.z;
    if (ex == 0.0 && ey == 0.0 && ez == 0.0)
        return 1;
    int best = 0;
    double bestExtent = ex;
    if (ey < bestExtent) {
        best = 1;
        bestExtent = ey;
    }
    if (ez < bestExtent)
        best = 2;
    return best;
}

void CBox::scaleAboutCenter(float factor)
{
    scaleAboutCenter(CVector(factor, factor, factor));
}

void CBox::scaleAboutCenter(const CVector& f)
{
    for (int a = 0; a < 3; ++a) {
        const double c = min[a] + (double(max[a]) - min[a]) * 0.5;
        min[a] = float((min[a] - c) * f[a] + c);
        max[a] = float((max[a] - c) * f[a] + c);
    }
}

// ---- CCornerBox ----

void CCornerBox::fromBox(const CBox& box)
{
    CVector lo = box.min, hi = box.max;
    // A flat box gets a sliver of thickness so its planes stay distinct
    // (except at 0, where the sliver would be 0 too).
    for (int a = 0; a < 3; ++a) {
        if (lo[a] == hi[a])
            hi[a] = hi[a] + std::fabs(hi[a]) * 1e-5f;
    }
    for (int i = 0; i < 8; ++i)
        corners[i] = CVector((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
    derivePlanes();
}

void CCornerBox::fromCorners(const CVector* corners8)
{
    for (int i = 0; i < 8; ++i)
        corners[i] = corners8[i];
    derivePlanes();
}

void CCornerBox::copyCorners(const CCornerBox& other)
{
    for (int i = 0; i < 8; ++i)
        corners[i] = other.corners[i];
}

void CCornerBox::transform(const CMatrix& mat)
{
    const float* M = mat.m;
    for (CVector& p : corners) {
        const double x = p.x, y = p.y, z = p.z;
        const double tx = x * M[0] + y * M[4] + z * M[8] + M[12];
        const double ty = x * M[1] + y * M[5] + z * M[9] + M[13];
        const double tz = x * M[2] + y * M[6] + z * M[10] + M[14];
        const float w = float(x * M[3] + y * M[7] + z * M[11] + M[15]);
        if (w != 0.0f && w != 1.0f)
            p = CVector(float(tx / w), float(ty / w), float(tz / w));
        else
            p = CVector(float(tx), float(ty), float(tz));
    }
}

void CCornerBox::derivePlanes()
{
    static const int kPlaneCorners[6][3] = {{1, 0, 3}, {4, 5, 6}, {0, 4, 2}, {5, 1, 7}, {3, 2, 7}, {5, 4, 1}};
    CVector mid;
    Vec3Div(mid, corners[0] + corners[7], 2.0f);
    for (int i = 0; i < 6; ++i) {
        CPlane& pl = planes[i];
        const CVector& first = corners[kPlaneCorners[i][0]];
        CPlane::fromPoints(pl.normal, first, corners[kPlaneCorners[i][1]], corners[kPlaneCorners[i][2]]);
        pl.distance = CVector::dot(pl.normal, first);
        if (pl.distance - dotd(pl.normal, mid) > kEps) {
            pl.normal = -pl.normal;
            pl.distance = -pl.distance;
        }
    }
}

// ---- CPlane ----

void CPlane::fromPoints(CVector& normal, const CVector& p0, const CVector& p1, const CVector& p2)
{
    CVector::normalized(normal, CVector::cross(p1 - p0, p2 - p0));
}

int CPlane::intersectRay(const CRay& ray, float& t) const
{
    int code = 0;
    const double s = double(distance) - dotd(normal, ray.origin);
    if (s > kEps)
        code |= 1;
    else if (s < -kEps)
        code |= 2;
    const double den = dotd(normal, ray.direction);
    t = std::fabs(den) >= kEps ? float(s / den) : FLT_MAX;
    const double e = dotd(normal, along(ray.origin, ray.direction, ray.length)) - distance;
    if (e > kEps)
        code |= 8;
    else if (e < -kEps)
        code |= 4;
    return code;
}

// ---- CSphere ----

void CSphere::extend(const CVector& p)
{
    if (isEmpty()) {
        center = p;
        radius = FLT_MIN;
        return;
    }
    const CVector w = p - center;
    const double d2 = w.lengthSquared();
    const double r = radius;
    if (d2 <= r * r)
        return;
    const double d = std::sqrt(d2);
    const double R = (d + r) / 2.0;
    const double k = (R - r) / d;
    center = along(center, w, k);
    radius = float(R);
}

int CSphere::relation(const CSphere& other) const
{
    if (isEmpty() || other.isEmpty())
        return 0;
    const double d2 = (center - other.center).lengthSquared();
    const double r1 = radius, r2 = other.radius;
    if ((r1 + r2) * (r1 + r2) < d2)
        return 0;
    if ((r1 - r2) * (r1 - r2) >= d2)
        return 3;
    return 1;
}

int CSphere::intersectRay(const CRay& ray, CVector* entry, CVector* exit) const
{
    if (isEmpty())
        return 0;
    const double a = dotd(ray.direction, ray.direction);
    // A ray without direction has no parameter to solve for.
    if (!(a > 0.0))
        return 0;
    const CVector w = ray.origin - center;
    const double b = dotd(w, ray.direction);
    const double r = radius;
    const double disc = b * b - (dotd(w, w) - r * r) * a;
    if (disc < 0.0)
        return 0;
    const double root = std::sqrt(disc);
    const double tNear = -b / a - root / a;
    const double tFar = -b / a + root / a;
    if (tNear > ray.length || tFar < 0.0)
        return 0;
    return segmentResult(ray.origin, ray.direction, tNear, tFar, ray.length, entry, exit);
}

// ---- CRay ----

float CRay::closestPoint(const CVector& point, CVector& foot) const
{
    const double t = dotd(point - origin, direction);
    foot = along(origin, direction, t);
    return float((point - foot).lengthSquared());
}

bool CRay::closestPoints(const CRay& other, CVector& onThis, CVector& onOther) const
{
    const CVector w = origin - other.origin;
    const double b = dotd(direction, other.direction);
    const double d = dotd(other.direction, w);
    const double e = dotd(direction, w);
    const double den = 1.0 - b * b;
    if (den < kEps)
        return false;
    const double tA = (b * d - e) / den;
    const double tB = (d - b * e) / den;
    onThis = along(origin, direction, tA);
    onOther = along(other.origin, other.direction, tB);
    return true;
}

namespace {

void clampToRay(const CRay& ray, CVector& p)
{
    const double t = dotd(p - ray.origin, ray.direction);
    if (t < 0.0)
        p = ray.origin;
    else if (t > ray.length)
        p = along(ray.origin, ray.direction, ray.length);
}

} // namespace

bool CRay::closestPointsClamped(const CRay& other, CVector& onThis, CVector& onOther) const
{
    if (!closestPoints(other, onThis, onOther))
        return false;
    clampToRay(*this, onThis);
    clampToRay(other, onOther);
    return true;
}

float CRay::parameterAt(const CVector& point) const
{
    int axis = 0;
    for (int a = 1; a < 3; ++a) {
        if (std::fabs(direction[a]) >= std::fabs(direction[axis]))
            axis = a;
    }
    const double den = double(length) * direction[axis];
    // A segment of no extent has only its origin.
    if (den == 0.0)
        return 0.0f;
    return float((double(point[axis]) - origin[axis]) / den);
}

// ---- triangles ----

bool TriangleCoordinates(const CVector& o, const CVector& e1, const CVector& e2, const CVector& p, float& u,
                         float& v)
{
    const CVector w = p - o;
    const double e11 = dotd(e1, e1), e22 = dotd(e2, e2), e12 = dotd(e1, e2);
    const double e1w = dotd(e1, w), e2w = dotd(e2, w);
    const double det = e11 * e22 - e12 * e12;
    if (det <= kEps)
        return false;
    u = float((e22 * e1w - e12 * e2w) / det);
    v = float((e11 * e2w - e12 * e1w) / det);
    return true;
}

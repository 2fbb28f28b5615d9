#pragma once

// 2-, 3- and 4-component float vectors and the scalar angle helpers.
// Storage is single precision; sums of products are formed in double and
// rounded once on store, so results do not depend on evaluation order.

#include <cmath>

struct CMatrix;

struct CVector2
{
    float x, y;

    CVector2() = default;
    constexpr CVector2(float x_, float y_) : x(x_), y(y_) {}

    // Divides by the length and returns it; a length of exactly 1 and
    // near-zero vectors (returns 0) are left as they are.
    float normalize()
    {
        const double s = double(x) * x + double(y) * y;
        if (s == 1.0)
            return 1.0f;
        if (!(s > 1.1920929e-7))
            return 0.0f;
        const double len = std::sqrt(s);
        x = float(x / len);
        y = float(y / len);
        return float(len);
    }

    // Angle from +y turning towards +x, in [0, 2*pi).
    float angle() const
    {
        CVector2 c = *this;
        c.normalize();
        // Rounding can push a normalised component just past 1.
        double cy = c.y;
        if (cy > 1.0)
            cy = 1.0;
        else if (cy < -1.0)
            cy = -1.0;
        const float a = float(std::acos(cy));
        return c.x >= 0.0f ? a : 6.2831855f - a;
    }
};

struct CVector
{
    float x, y, z;

    static const CVector UnitX, UnitY, UnitZ;
    static const CVector NegUnitX, NegUnitY, NegUnitZ;
    // What normalisation yields for a zero vector.
    static const CVector DefaultNormal;

    CVector() = default;
    constexpr CVector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    CVector& add(const CVector& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }

    CVector& scale(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    static CVector& subtract(CVector& out, const CVector& a, const CVector& b)
    {
        out.x = a.x - b.x;
        out.y = a.y - b.y;
        out.z = a.z - b.z;
        return out;
    }

    static float dot(const CVector& a, const CVector& b)
    {
        return float(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
    }

    static CVector cross(const CVector& a, const CVector& b)
    {
        return CVector(float(double(a.y) * b.z - double(a.z) * b.y),
                       float(double(a.z) * b.x - double(a.x) * b.z),
                       float(double(a.x) * b.y - double(a.y) * b.x));
    }

    double lengthSquared() const { return double(x) * x + double(y) * y + double(z) * z; }
    float length() const { return float(std::sqrt(lengthSquared())); }

    // In place. Returns the squared length when the vector is left alone
    // (zero, not a number, or already unit length within 1e-7), otherwise
    // the length it was divided by. 0 marks a degenerate vector.
    float normalize()
    {
        const double s = lengthSquared();
        if (!(s > 0.0))
            return float(s);
        if (s >= 0.9999999 && s <= 1.0000001)
            return float(s);
        const double len = std::sqrt(s);
        x = float(x / len);
        y = float(y / len);
        z = float(z / len);
        return float(len);
    }

    // Copying form: a degenerate input gives the default normal and 0.
    static float normalized(CVector& out, const CVector& in)
    {
        const double s = in.lengthSquared();
        if (s >= 0.9999999 && s <= 1.0000001) {
            out = in;
            return float(s);
        }
        if (!(s > 0.0)) {
            out = DefaultNormal;
            return 0.0f;
        }
        const double len = std::sqrt(s);
        out = CVector(float(in.x / len), float(in.y / len), float(in.z / len));
        return float(len);
    }

    void normalizeBySquaredLength(float squaredLength)
    {
        if (!(squaredLength > 0.0f)) {
            *this = DefaultNormal;
            return;
        }
        const double len = std::sqrt(double(squaredLength));
        x = float(x / len);
        y = float(y / len);
        z = float(z / len);
    }

    // (x, y, z, 1) times the matrix, w column ignored.
    inline CVector& transform(const CMatrix& m);

    // Angle of the pair (x, y), (x, z) or (y, z) for selector 0, 1, 2.
    float angleAround(int selector) const
    {
        switch (selector) {
        case 0:
            return CVector2(x, y).angle();
        case 1:
            return CVector2(x, z).angle();
        case 2:
            return CVector2(y, z).angle();
        default:
            return 0.0f;
        }
    }

    friend CVector operator+(const CVector& a, const CVector& b)
    {
        return CVector(a.x + b.x, a.y + b.y, a.z + b.z);
    }
    friend CVector operator-(const CVector& a, const CVector& b)
    {
        return CVector(a.x - b.x, a.y - b.y, a.z - b.z);
    }
    friend CVector operator-(const CVector& a) { return CVector(-a.x, -a.y, -a.z); }
    friend CVector operator*(const CVector& a, float s) { return CVector(a.x * s, a.y * s, a.z * s); }
    friend CVector operator*(float s, const CVector& a) { return CVector(a.x * s, a.y * s, a.z * s); }
    friend bool operator==(const CVector& a, const CVector& b)
    {
        return a.x == b.x && a.y == b.y && a.z == b.z;
    }
};

inline const CVector CVector::UnitX{1.0f, 0.0f, 0.0f};
inline const CVector CVector::UnitY{0.0f, 1.0f, 0.0f};
inline const CVector CVector::UnitZ{0.0f, 0.0f, 1.0f};
inline const CVector CVector::NegUnitX{-1.0f, 0.0f, 0.0f};
inline const CVector CVector::NegUnitY{0.0f, -1.0f, 0.0f};
inline const CVector CVector::NegUnitZ{0.0f, 0.0f, -1.0f};
inline const CVector CVector::DefaultNormal{0.0f, 0.0f, 1.0f};

// Colour (r, g, b, a), rectangle or plane (normal, distance).
struct CVector4
{
    float x, y, z, w;

    CVector4() = default;
    constexpr CVector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

inline CVector& Vec3Add(CVector& out, const CVector& a, const CVector& b)
{
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    out.z = a.z + b.z;
    return out;
}

// No test for s == 0: callers divide by counts they know are non-zero.
inline CVector& Vec3Div(CVector& out, const CVector& a, float s)
{
    out.x = a.x / s;
    out.y = a.y / s;
    out.z = a.z / s;
    return out;
}

// Signed shortest turn from one angle to another, in [-pi, pi].
inline float AngleDiff(float from, float to)
{
    const double twoPi = 6.2831854820251465;
    const double pi = 3.1415927410125732;
    const double f = std::fmod(double(from), twoPi);
    const double t = std::fmod(double(to), twoPi);
    double d = t - f;
    if (d > pi)
        d = t - twoPi - f;
    if (d < -pi)
        return float(t + twoPi - f);
    return float(d);
}

// Moves current towards target by at most step, never past it.
inline float Approach(float current, float target, float step)
{
    if (std::fabs(target - current) <= step)
        return target;
    return target <= current ? current - step : current + step;
}

// CVector::transform needs the matrix; every user of vectors gets both.
#include "LIBS/System/CMatrix.h"

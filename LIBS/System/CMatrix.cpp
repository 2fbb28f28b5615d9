#include "LIBS/System/CMatrix.h"

#include <utility>

bool CMatrix::basisFromVectors(const CVector& d, const CVector& up)
{
    CVector r = CVector::cross(up, d);
    CVector v = CVector::cross(d, r);
    if (!(r.normalize() > 0.0f) || !(v.normalize() > 0.0f))
        return false;
    m[0] = r.x;
    m[1] = r.y;
    m[2] = r.z;
    m[3] = 0.0f;
    m[4] = v.x;
    m[5] = v.y;
    m[6] = v.z;
    m[7] = 0.0f;
    m[8] = d.x;
    m[9] = d.y;
    m[10] = d.z;
    m[11] = 0.0f;
    m[12] = 0.0f;
    m[13] = 0.0f;
    m[14] = 0.0f;
    m[15] = 1.0f;
    return true;
}

namespace {

// Divides by the length; false when shorter than 1e-6.
bool normaliseAtLeast(CVector& v)
{
    const double len = std::sqrt(v.lengthSquared());
    if (!(len >= 1e-6))
        return false;
    v = CVector(float(v.x / len), float(v.y / len), float(v.z / len));
    return true;
}

} // namespace

bool CMatrix::lookAt(const CVector& eye, const CVector& target, const CVector& up)
{
    CVector view = target - eye;
    if (!normaliseAtLeast(view))
        return false;

    CVector u = up - view * CVector::dot(up, view);
    if (!normaliseAtLeast(u)) {
        u = CVector::UnitY - view * view.y;
        if (!normaliseAtLeast(u)) {
            u = CVector::UnitZ - view * view.z;
            if (!normaliseAtLeast(u))
                return false;
        }
    }
    const CVector right = CVector::cross(u, view);

    m[0] = right.x;
    m[1] = u.x;
    m[2] = view.x;
    m[3] = 0.0f;
    m[4] = right.y;
    m[5] = u.y;
    m[6] = view.y;
    m[7] = 0.0f;
    m[8] = right.z;
    m[9] = u.z;
    m[10] = view.z;
    m[11] = 0.0f;
    m[12] = -CVector::dot(eye, right);
    m[13] = -CVector::dot(eye, u);
    m[14] = -CVector::dot(eye, view);
    m[15] = 1.0f;
    return true;
}

bool CMatrix::perspective(float fov, float aspect, float nearPlane, float farPlane)
{
    const double half = double(fov) / 2.0;
    const double k = std::cos(half) / std::sin(half);
    const double depth = double(farPlane) - nearPlane;
    for (float& e : m)
        e = 0.0f;
    m[0] = float(k * aspect);
    m[5] = float(k);
    m[10] = float(farPlane / depth);
    m[11] = 1.0f;
    m[14] = float(-double(nearPlane) * farPlane / depth);
    return true;
}

void CMatrix::ortho(float width, float height, float nearPlane, float farPlane)
{
    const double depth = double(farPlane) - nearPlane;
    for (float& e : m)
        e = 0.0f;
    m[0] = float(2.0 / width);
    m[5] = float(2.0 / height);
    m[10] = float(1.0 / depth);
    m[14] = float(-nearPlane / depth);
    m[15] = 1.0f;
}

void CMatrix::billboard(const CMatrix& view)
{
    *this = view;
    std::swap(m[1], m[4]);
    std::swap(m[2], m[8]);
    std::swap(m[6], m[9]);
    m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

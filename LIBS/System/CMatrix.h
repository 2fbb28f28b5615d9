#pragma once

// 4x4 float matrix, row-major, points as row vectors multiplied from the
// left (p' = p x M), translation in elements 12-14. This is the layout the
// device takes, so matrices are handed over without conversion.

#include "LIBS/System/CVector.h"

struct CMatrix
{
    float m[16];

    static const CMatrix Identity;

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float& at(int row, int col) { return m[row * 4 + col]; }
    float at(int row, int col) const { return m[row * 4 + col]; }

    CVector translation() const { return CVector(m[12], m[13], m[14]); }

    CMatrix& identity()
    {
        for (float& e : m)
            e = 0.0f;
        m[0] = m[5] = m[10] = m[15] = 1.0f;
        return *this;
    }

    // Scale matrix.
    CMatrix& diagonal(float sx, float sy, float sz)
    {
        for (float& e : m)
            e = 0.0f;
        m[0] = sx;
        m[5] = sy;
        m[10] = sz;
        m[15] = 1.0f;
        return *this;
    }

    CMatrix& rotationX(float angle)
    {
        const float c = std::cos(angle), s = std::sin(angle);
        for (float& e : m)
            e = 0.0f;
        m[0] = 1.0f;
        m[5] = c;
        m[6] = s;
        m[9] = -s;
        m[10] = c;
        m[15] = 1.0f;
        return *this;
    }

    // A point on +z turns towards +x for a positive angle.
    CMatrix& rotationY(float angle)
    {
        const float c = std::cos(angle), s = std::sin(angle);
        for (float& e : m)
            e = 0.0f;
        m[0] = c;
        m[2] = -s;
        m[5] = 1.0f;
        m[8] = s;
        m[10] = c;
        m[15] = 1.0f;
        return *this;
    }

    // Rows: local x = up x d, local y, local z = d (not normalised).
    // False when d and up are parallel (the matrix is then unspecified).
    bool basisFromVectors(const CVector& d, const CVector& up);

    // M = T(t) x M: translate before the rest of the matrix applies.
    CMatrix& preTranslate(const CVector& t)
    {
        m[12] = float(m[12] + double(t.x) * m[0] + double(t.y) * m[4] + double(t.z) * m[8]);
        m[13] = float(m[13] + double(t.x) * m[1] + double(t.y) * m[5] + double(t.z) * m[9]);
        m[14] = float(m[14] + double(t.x) * m[2] + double(t.y) * m[6] + double(t.z) * m[10]);
        return *this;
    }

    // out = a x b; out must be neither a nor b.
    static CMatrix& multiply(CMatrix& out, const CMatrix& a, const CMatrix& b)
    {
        const float* A = a.m;
        const float* B = b.m;
        float* O = out.m;
#define VAREK_MATRIX_ELEMENT(i, j)                                                                           \
    O[i * 4 + j] = float(double(A[i * 4 + 0]) * B[0 + j] + double(A[i * 4 + 1]) * B[4 + j] +                 \
                         double(A[i * 4 + 2]) * B[8 + j] + double(A[i * 4 + 3]) * B[12 + j])
#define VAREK_MATRIX_ROW(i)                                                                                  \
    VAREK_MATRIX_ELEMENT(i, 0);                                                                              \
    VAREK_MATRIX_ELEMENT(i, 1);                                                                              \
    VAREK_MATRIX_ELEMENT(i, 2);                                                                              \
    VAREK_MATRIX_ELEMENT(i, 3)
        VAREK_MATRIX_ROW(0);
        VAREK_MATRIX_ROW(1);
        VAREK_MATRIX_ROW(2);
        VAREK_MATRIX_ROW(3);
#undef VAREK_MATRIX_ROW
#undef VAREK_MATRIX_ELEMENT
        return out;
    }

    // this = a x b; safe when this is a or b.
    CMatrix& multiply(const CMatrix& a, const CMatrix& b)
    {
        if (this == &a || this == &b) {
            CMatrix t;
            multiply(t, a, b);
            *this = t;
        } else {
            multiply(*this, a, b);
        }
        return *this;
    }

    // View matrix of the left-handed pipeline; false when eye and target
    // coincide or no up direction can be made perpendicular to the view.
    bool lookAt(const CVector& eye, const CVector& target, const CVector& up);
    // Depth runs from 0 at near to 1 at far; fov is vertical, in radians.
    bool perspective(float fov, float aspect, float nearPlane, float farPlane);
    void ortho(float width, float height, float nearPlane, float farPlane);
    // The rotation part of the given view transform, inverted: a quad in
    // the x-y plane turned by it faces the camera.
    void billboard(const CMatrix& view);
};

inline const CMatrix CMatrix::Identity{
    {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}};

inline CVector& CVector::transform(const CMatrix& mat)
{
    const float* M = mat.m;
    const double px = x, py = y, pz = z;
    x = float(px * M[0] + py * M[4] + pz * M[8] + M[12]);
    y = float(px * M[1] + py * M[5] + pz * M[9] + M[13]);
    z = float(px * M[2] + py * M[6] + pz * M[10] + M[14]);
    return *this;
}

// A matrix tagged with what it does, so products of pure translations stay
// cheap. kind 0: identity (matrix not consulted); 1: translation only
// (elements 12-14 count); 2 or more: general.
struct CTransform
{
    CMatrix matrix;
    int kind;

    static const CTransform Identity;

    // out = apply a, then b. out may be a or b.
    static CTransform& multiply(CTransform& out, const CTransform& a, const CTransform& b)
    {
        const int kind = a.kind | b.kind;
        if (b.kind > 1) {
            if (a.kind > 1) {
                CMatrix product;
                CMatrix::multiply(product, a.matrix, b.matrix);
                out.matrix = product;
            } else {
                const CVector t = a.matrix.translation();
                const int aKind = a.kind;
                out.matrix = b.matrix;
                if (aKind == 1)
                    out.matrix.preTranslate(t);
            }
        } else {
            const CVector t = b.matrix.translation();
            const int bKind = b.kind;
            // A kind-0 factor is the identity whatever its matrix holds.
            if (a.kind == 0)
                out.matrix = CMatrix::Identity;
            else
                out.matrix = a.matrix;
            if (bKind == 1) {
                out.matrix.m[12] += t.x;
                out.matrix.m[13] += t.y;
                out.matrix.m[14] += t.z;
            }
        }
        out.kind = kind;
        return out;
    }
};

inline const CTransform CTransform::Identity{CMatrix::Identity, 0};

#include "GAMES/Rulo2/world/WorldRays.h"

#include <cmath>
#include <vector>

#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

bool RayHitsSphere(const CVector& origin, const CVector& direction, const CVector& centre, float radius)
{
    const CVector w = origin - centre;
    const double wd = CVector::dot(w, direction);
    const double ww = CVector::dot(w, w);
    const double dd = CVector::dot(direction, direction);
    return wd * wd - (ww - double(radius) * radius) * dd >= 0.0;
}

bool IntersectRayWithConvexPolygon(const CVector& origin, const CVector& direction, const CVector* points,
                                   int count, CVector* hit)
{
    if (count < 3)
        return false;
    CVector n = CVector::cross(points[1] - points[0], points[2] - points[0]);
    n.normalize();
    const float dist = CVector::dot(n, points[0]);
    const float den = CVector::dot(n, direction);
    if (den > -0.00001f && den < 0.00001f)
        return false;
    const float t = (dist - CVector::dot(n, origin)) / den;
    if (t <= 0.00001f)
        return false;
    const CVector h = origin + direction * t;
    *hit = h;
    bool first = true, side0 = false;
    for (int i = 0; i < count; ++i) {
        const CVector edge = (i == 0 ? points[count - 1] : points[i - 1]) - points[i];
        CVector m = CVector::cross(n, edge);
        m.normalize();
        const bool side = (CVector::dot(m, h) - CVector::dot(m, points[i])) > 0.0f;
        if (first) {
            side0 = side;
            first = false;
        } else if (side != side0) {
            return false;
        }
    }
    return true;
}

bool IntersectRayWithPolygon(const CVector& origin, const CVector& direction, const CVector* points,
                             int count, CVector* hit, const CMatrix& matrix)
{
    if (count < 3)
        return false;
    std::vector<CVector> p(points, points + count);
    for (CVector& v : p)
        v.transform(matrix);
    bool flat = true;
    for (int i = 1; i < count; ++i)
        if (points[i].y != points[0].y)
            flat = false;
    if (count < 4 || flat)
        return IntersectRayWithConvexPolygon(origin, direction, p.data(), count, hit);
    for (int k = 1; k <= count - 2; ++k) {
        const CVector tri[3] = {p[0], p[k], p[k + 1]};
        if (IntersectRayWithConvexPolygon(origin, direction, tri, 3, hit))
            return true;
    }
    return false;
}

CMatrix ObjectMatrix(const CWorldObject* object)
{
    CMatrix m;
    m.identity();
    const float c = std::cos(object->angle), s = std::sin(object->angle);
    m[0] = c;
    m[2] = -s;
    m[8] = s;
    m[10] = c;
    m[12] = object->position.x;
    m[13] = object->position.y;
    m[14] = object->position.z;
    return m;
}

bool HitIsBetter(const CVector& origin, const CVector& direction, const CVector& candidate,
                 const CVector& stored)
{
    if (direction.y == -1.0f)
        return (origin.y - candidate.y) < (origin.y - stored.y);
    return (candidate - origin).lengthSquared() < (stored - origin).lengthSquared();
}

namespace {

CRootNode* ShapeModel(CWorldObject* object)
{
    CModelEntry* entry = object->ModelEntry();
    return entry ? entry->model : nullptr;
}

// A part takes part in the shape tests through its first material, and only
// when that material starts at vertex 0 (each mesh once).
bool IsShapePart(const CMeshNode* mesh)
{
    return mesh->materialCount > 0 && mesh->materials[0].firstVertex == 0 && mesh->shapePointCount > 2;
}

bool ShapeCandidate(CWorldObject* object, const CVector& origin, const CVector& direction, CRootNode** root)
{
    if (object->objectKind != CWorldObject::KIND_MODEL || object->connections.empty())
        return false;
    *root = ShapeModel(object);
    if (!*root)
        return false;
    return RayHitsSphere(origin, direction, object->position, (*root)->boundsRadius);
}

// Tests every triangle of every part, transformed by `partMatrix(mesh)`.
template <typename M>
bool NearestTriangleHit(CRootNode* root, const CVector& origin, const CVector& direction, CVector* hit,
                        M&& transform)
{
    bool any = false;
    ForEachMesh(root, [&](CMeshNode* mesh) {
        if (!mesh->vertices || !mesh->indices)
            return;
        for (int m = 0; m < mesh->materialCount; ++m) {
            const CMeshMaterial& mat = mesh->materials[m];
            for (int k = 0; k + 2 < mat.indexCount; k += 3) {
                CVector tri[3];
                bool valid = true;
                for (int c = 0; c < 3; ++c) {
                    const int idx = mat.firstIndex + k + c;
                    if (idx < 0 || idx >= mesh->indexCount) {
                        valid = false;
                        break;
                    }
                    const int v = mat.firstVertex + mesh->indices[idx];
                    if (v < 0 || v >= mesh->vertexCount) {
                        valid = false;
                        break;
                    }
                    const MeshVertex& mv = mesh->vertices[v];
                    tri[c] = transform(mesh, CVector(mv.x, mv.y, mv.z));
                }
                CVector h;
                if (valid && IntersectRayWithConvexPolygon(origin, direction, tri, 3, &h) &&
                    HitIsBetter(origin, direction, h, *hit)) {
                    *hit = h;
                    any = true;
                }
            }
        }
    });
    return any;
}

struct NodeHitState
{
    bool any = false;
};

void NodeChain(CWorldObject* first, const CVector& origin, const CVector& direction, CVector* hit,
               CWorldObject** hitObject, bool solidOnly, NodeHitState& state)
{
    for (CWorldObject* object = first; object; object = object->NextObject()) {
        if (solidOnly && (GetVisibility(object) == VIS_HIDDEN || object->factor != 1.0f))
            continue;
        if (object->objectKind == CWorldObject::KIND_MODEL && !object->connections.empty()) {
            CRootNode* root = ShapeModel(object);
            if (!root || !RayHitsSphere(origin, direction, object->position, root->boundsRadius))
                continue;
            const CMatrix objectMatrix = ObjectMatrix(object);
            ForEachMesh(root, [&](CMeshNode* mesh) {
                if (!IsShapePart(mesh))
                    return;
                CMatrix full;
                CMatrix::multiply(full, mesh->worldMatrix, objectMatrix);
                CVector h;
                if (!IntersectRayWithPolygon(origin, direction, mesh->shapePoints, mesh->shapePointCount, &h,
                                             full))
                    return;
                if (!state.any || HitIsBetter(origin, direction, h, *hit)) {
                    state.any = true;
                    *hit = h;
                    if (hitObject)
                        *hitObject = object;
                }
            });
        } else if (object->objectKind == CWorldObject::KIND_GROUP && object->firstChild) {
            if (RayHitsSphere(origin, direction, object->position, object->angle))
                NodeChain(object->FirstObject(), origin, direction, hit, hitObject, solidOnly, state);
        }
    }
}

} // namespace

bool IntersectRayWithObjectShape(CWorldObject* object, const CVector& origin, const CVector& direction)
{
    CRootNode* root = nullptr;
    if (!ShapeCandidate(object, origin, direction, &root))
        return false;
    const CMatrix objectMatrix = ObjectMatrix(object);
    bool found = false;
    ForEachMesh(root, [&](CMeshNode* mesh) {
        if (found || !IsShapePart(mesh))
            return;
        CMatrix full;
        CMatrix::multiply(full, mesh->worldMatrix, objectMatrix);
        CVector h;
        found =
            IntersectRayWithPolygon(origin, direction, mesh->shapePoints, mesh->shapePointCount, &h, full);
    });
    return found;
}

bool IntersectSegmentWithObjectShape(CWorldObject* object, const CVector& origin, const CVector& direction,
                                     CVector* hit)
{
    CRootNode* root = nullptr;
    if (!ShapeCandidate(object, origin, direction, &root))
        return false;
    const CMatrix objectMatrix = ObjectMatrix(object);
    bool found = false;
    ForEachMesh(root, [&](CMeshNode* mesh) {
        if (found || !IsShapePart(mesh))
            return;
        CMatrix full;
        CMatrix::multiply(full, mesh->worldMatrix, objectMatrix);
        CVector h;
        if (IntersectRayWithPolygon(origin, direction, mesh->shapePoints, mesh->shapePointCount, &h, full) &&
            HitIsBetter(origin, direction, h, *hit)) {
            *hit = h;
            found = true;
        }
    });
    return found;
}

bool FindNearestHitOnShape(CWorldObject* object, const CVector& origin, const CVector& direction,
                           CVector* hit)
{
    *hit = origin + direction * 1000.0f;
    CRootNode* root = ShapeModel(object);
    if (!root)
        return false;
    const CMatrix objectMatrix = ObjectMatrix(object);
    return NearestTriangleHit(root, origin, direction, hit, [&](CMeshNode* mesh, CVector p) {
        CMatrix full;
        CMatrix::multiply(full, mesh->worldMatrix, objectMatrix);
        return p.transform(full);
    });
}

bool IntersectRayWithNodeList(CWorldObject* object, const CVector& origin, const CVector& direction,
                              CVector* hit, const CMatrix& matrix)
{
    *hit = origin + direction * 1000.0f;
    CRootNode* root = ShapeModel(object);
    if (!root)
        return false;
    return NearestTriangleHit(root, origin, direction, hit, [&](CMeshNode* mesh, CVector p) {
        CMatrix full;
        CMatrix::multiply(full, mesh->worldMatrix, matrix);
        const double x = p.x * full[0] + p.y * full[4] + p.z * full[8] + full[12];
        const double y = p.x * full[1] + p.y * full[5] + p.z * full[9] + full[13];
        const double z = p.x * full[2] + p.y * full[6] + p.z * full[10] + full[14];
        double w = p.x * full[3] + p.y * full[7] + p.z * full[11] + full[15];
        if (w == 0.0)
            w = 1.0;
        return CVector(float(x / w), float(y / w), float(z / w));
    });
}

bool IntersectRayWithNode(CWorldObject* first, const CVector& origin, const CVector& direction, CVector* hit,
                          CWorldObject** hitObject, bool solidOnly)
{
    NodeHitState state;
    NodeChain(first, origin, direction, hit, hitObject, solidOnly, state);
    return state.any;
}

bool PickGroundPoint(const CVector& origin, const CVector& direction, CVector* hit)
{
    CWorldObject* node = nullptr;
    return g_WorldRoot &&
           IntersectRayWithNode(g_WorldRoot->FirstObject(), origin, direction, hit, &node, true);
}

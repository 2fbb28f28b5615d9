#pragma once
// Hit tests of rays against spheres, polygons, the shape polygons and triangles
// of a world object's model, and chains of world objects. Hits are world points.
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

class CMeshNode;
class CRootNode;
class CWorldObject;

// The whole line counts: a sphere behind the origin is hit too.
bool RayHitsSphere(const CVector& origin, const CVector& direction, const CVector& centre, float radius);
bool IntersectRayWithConvexPolygon(const CVector& origin, const CVector& direction, const CVector* points,
                                   int count, CVector* hit);
// Points are transformed by `matrix` first; non-flat polygons of 4 or more
// points are tested as a fan of triangles.
bool IntersectRayWithPolygon(const CVector& origin, const CVector& direction, const CVector* points,
                             int count, CVector* hit, const CMatrix& matrix);
bool IntersectRayWithObjectShape(CWorldObject* object, const CVector& origin, const CVector& direction);
bool IntersectSegmentWithObjectShape(CWorldObject* object, const CVector& origin, const CVector& direction,
                                     CVector* hit);
bool FindNearestHitOnShape(CWorldObject* object, const CVector& origin, const CVector& direction,
                           CVector* hit);
bool IntersectRayWithNodeList(CWorldObject* object, const CVector& origin, const CVector& direction,
                              CVector* hit, const CMatrix& matrix);
bool IntersectRayWithNode(CWorldObject* first, const CVector& origin, const CVector& direction, CVector* hit,
                          CWorldObject** hitObject, bool solidOnly);

// Rotation about the vertical axis by the object's angle, translated to its position.
CMatrix ObjectMatrix(const CWorldObject* object);
// Calls `visit` for every mesh node of a model, in tree order.
template <typename F>
void ForEachMesh(CRootNode* root, F&& visit);
// Whether a hit replaces the stored one: straight down the higher one wins,
// otherwise the nearer one; ties keep the stored hit.
bool HitIsBetter(const CVector& origin, const CVector& direction, const CVector& candidate,
                 const CVector& stored);

#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"

template <typename F>
void ForEachMesh(CRootNode* root, F&& visit)
{
    if (!root)
        return;
    // Explicit stack: models may be deep, and the visit order is pre-order.
    CNode* stack[256];
    int top = 0;
    stack[top++] = root;
    while (top > 0) {
        CNode* n = stack[--top];
        auto* model = static_cast<CModelNode*>(n);
        if (model->modelKind == CModelNode::KIND_MESH)
            visit(static_cast<CMeshNode*>(model));
        // Push the next sibling first so that the children come before it (not for the root).
        if (n != root && n->next && top < 256)
            stack[top++] = n->next;
        if (n->firstChild && top < 256)
            stack[top++] = n->firstChild;
    }
}

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
// Where a pick ray meets the world the frame shows (a hidden floor above the clicked one takes no
// click): the ground point of a walk order.
bool PickGroundPoint(const CVector& origin, const CVector& direction, CVector* hit);

// Rotation about the vertical axis by the object's angle, translated to its position.
CMatrix ObjectMatrix(const CWorldObject* object);
// Calls `visit` for every mesh node of a model, in tree order.
template <typename F>
void ForEachMesh(CRootNode* root, F&& visit);
// Whether a hit replaces the stored one: straight down the higher one wins,
// otherwise the nearer one; ties keep the stored hit.
bool HitIsBetter(const CVector& origin, const CVector& direction, const CVector& candidate,
                 const CVector& stored);

#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

template <typename F>
void ForEachMesh(CRootNode* root, F&& visit)
{
    // The root's own siblings are not part of its model.
    if (root)
        WalkMeshTree(root->FirstModelChild(), [&](CMeshNode* mesh) { visit(mesh); });
}

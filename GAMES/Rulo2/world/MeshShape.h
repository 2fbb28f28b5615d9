#pragma once
// The shape polygon of meshes (the outline the path finder walks on): its cell
// bounds, its rasterising into ground maps, its box, and its display and
// editing in the model editor. Each walk covers the node it is called on, its
// subtree and its following siblings; frames and joints extend the matrix with
// their local matrix at the rest time on the way down.
#include <cstdint>

#include "LIBS/System/CBox.h"
#include "LIBS/System/CMatrix.h"

class CModelNode;
class CMeshNode;
struct GroundMap;

// Grows {min x, min z, max x, max z} by the ground-map cell of every shape point.
void GetShapeCellBounds(CModelNode* first, const CMatrix& world, int32_t rect[4]);
// The polygon with ' ', then each marked edge with 'I'.
void RasterizeShapeOpen(CModelNode* first, const CMatrix& world, GroundMap& map);
// An outline whose edge list has two entries per point is filled with 'O';
// other marked edges are drawn with 'O'; an outline without edges is filled with 'o'.
void RasterizeShapeObstacle(CModelNode* first, const CMatrix& world, GroundMap& map);
// The polygon with 'T' (stairs).
void RasterizeShapeT(CModelNode* first, const CMatrix& world, GroundMap& map);
void ExtendShapeBox(CModelNode* first, const CMatrix& world, CBox& box);

// Model editor, for the mesh selected in the model tree.
void DrawShapeMarkers(CModelNode* first);
// Adds, removes (Ctrl up) or marks an edge to (Ctrl down) the vertex under the
// pixel; true when a vertex was hit.
bool PickShapePoint(CModelNode* first, int32_t x, int32_t y);
void DrawShape(CModelNode* first);
// The editor's Ctrl key state, read by PickShapePoint.
extern bool (*g_ShapeEditCtrlDown)();

// Welds each material's vertices that are equal in all their bytes and drops
// the vertices no triangle uses (the last steps of baking static animation).
void WeldVertices(CMeshNode& mesh);

// Negates every vertex normal ("Inverse Normals").
void FlipNormals(CMeshNode& mesh);
// Swaps the second and third index of every triangle and negates every normal
// ("Inverse Culling").
void FlipFaceWinding(CMeshNode& mesh);

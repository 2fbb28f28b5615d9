#pragma once
// Model nodes: the base class of every node of a model tree (root, frame,
// joint, mesh, locator) and the model file (tmf) reader and writer.
//
// Almost every operation is a broadcast: called on a node it covers the node,
// its subtree and its following siblings. The public operation walks the
// sibling chain; each node's share (its own work, then its children) is the
// protected virtual On... operation that a class overrides.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "LIBS/System/CVector.h"

class CMeshNode;
class CRootNode;
class CTexture;
class CTexturePage;
class IDirect3DVertexBuffer7;
struct CSurfaceMaterial;
struct MeshVertex;
struct SDrawListEntry;
struct STextureUse;

// The time before every key: evaluating there yields every channel's first key.
constexpr float kRestTime = -10000.0f;

class CModelNode : public CNode
{
public:
    enum
    {
        KIND_NODE = 0,
        KIND_ROOT = 1,
        KIND_FRAME = 2,
        KIND_JOINT = 3,
        KIND_MESH = 4,
        KIND_LOCATOR = 5,
    };

    explicit CModelNode(const char* name = nullptr);
    ~CModelNode() override;

    // "NODE", "ROOT", "FRAM", "JOIN", "MESH", "LOCA" for kinds 0 to 5.
    static uint32_t ChunkIdForKind(int32_t kind);

    CModelNode* FirstModelChild() const { return static_cast<CModelNode*>(GetFirstChild()); }
    CModelNode* NextModel() const { return static_cast<CModelNode*>(GetNext()); }

    // Broadcasts over this node, its subtree and its following siblings.
    void GetAnimationStart(float& t);
    void GetAnimationEnd(float& t);
    void FreezeTransforms();
    void UpdateWorldMatrix(const CMatrix& parentWorld, float time);
    void CountLocators(int32_t& all, int32_t& snappers);
    // Snap points fill `points` from `front` upwards, other locators from `back`
    // downwards; positions outside [0, capacity) are not stored.
    void CollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                              int32_t& back, int32_t& front);
    void BakeStaticAnimation();
    void ExtendBounds(const CMatrix& world, CVector& min, CVector& max);
    void CountGeometry(uint32_t& triangles, uint32_t& vertices);
    bool HasShape();
    void AccumulateSize(uint32_t& total);
    void RemoveAnimation();
    // True when every animated frame or joint of this tree has an animated
    // namesake of the same kind in the model of the entry at `tableIndex` of
    // the animation-info table. A slot without a model has no namesakes.
    bool HasAnimationIn(int32_t tableIndex);
    void LendAnimationTo(CModelNode* otherTree);
    // Meshes copy their vertices at a running offset; never past `capacity`.
    void FillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset);

    // Mesh materials' textures and texture coordinates (CMeshMaterials.cpp).
    // Binds each material's stored texture name and page number to the loaded
    // texture and page.
    void ResolveTextureReferences();
    void RefitAllTexCoords();
    void ResetTextureCoords(CTexture* texture);
    void RefitTextureCoords(CTexturePage* page, int32_t entry);
    void RemoveTexture(CTexturePage* page, int32_t entry);
    void ResetAllTexCoords();
    void ReplacePage(CTexturePage* oldPage, CTexturePage* newPage);
    bool IsTextureUsed(CTexturePage* page, int32_t entry);
    void CollectTextures(std::vector<STextureUse>& uses, int32_t& pagedCount, int32_t& unpagedCount);
    CMeshNode* FindTextureUser(CTexture* texture, CTexturePage* page, int32_t entry);
    void MarkUsedTextures();

    // Drawing meshes through the device (CMeshDrawing.cpp).
    void CountMaterials(int32_t& count, int32_t& translucentCount);
    void CollectSurfaces(std::vector<CSurfaceMaterial*>& surfaces);
    // False when two material index ranges of one mesh overlap.
    bool AddToDrawList(SDrawListEntry* entries, const std::vector<CSurfaceMaterial*>& surfaces, int32_t n,
                       int32_t m);
    void FillVertexBuffer(IDirect3DVertexBuffer7* vertexBuffer, int32_t& next);
    void DrawEditorMarkers();
    // Draws the meshes into the pick test over the screen rectangle; true when
    // any was hit, with the last hit's tree item in hitId (and the mesh in `hitMesh`).
    bool Pick(uint32_t& hitId, int32_t left, int32_t top, int32_t right, int32_t bottom,
              CMeshNode** hitMesh = nullptr);
    // The position of the node that the path names ("Hand", or "|Body|Hand"
    // where each component matches the start of a name).
    bool GetPositionByPath(const char* path, CVector* out, const CMatrix& world, float time);
    // Writes the chunks of this node, its subtree and its following siblings in
    // pre-order; false at the first failure.
    bool WriteChunk(CChunkWriter& writer);

    // This node's chunk body (after the 8-byte header); false when the body is
    // damaged. Leaves the parent number in `index`.
    virtual bool ReadChunk(CChunkReader& body);
    // A multi-line description of this node alone, cut to `size` bytes
    // (terminator included). Returns the length written.
    virtual size_t Describe(char* text, size_t size) = 0;
    // Bytes this node accounts for in the model statistics.
    virtual uint32_t GetSize();

    // Whole-tree helpers.
    bool PruneEmptyBranches();
    void DeleteMarkedChildren();
    bool AnyMeshWithFlagA();
    bool AnyMeshWithFlagB();
    bool AnyMeshInside();
    void SetMeshFlagA(bool value);
    void SetMeshFlagB(bool value);
    void DeleteMeshesByInside(bool deleteInside);

    // The editor's model tree (g_ModelTreeView). Without a parent item the
    // control is emptied and this node becomes the selected top item.
    void InsertIntoTree(uint32_t parentItem, const char* inheritedName);
    // The node whose item is `item` (0: the selected item), searching this
    // node, its subtree and its following siblings. In the compact view a
    // frame merged with its first child is returned with that child in `child`.
    CModelNode* FindSelectedInTree(CModelNode** node, CModelNode** child, uint32_t item);

    int32_t modelKind = KIND_NODE;
    uint8_t spareFlag = 0;
    uint8_t deleteMark = 0;

protected:
    // Each node's share of the broadcasts: its own work, then its children.
    // The defaults only pass the call on to the children.
    virtual void OnGetAnimationStart(float& t);
    virtual void OnGetAnimationEnd(float& t);
    virtual void OnFreezeTransforms();
    virtual void OnUpdateWorldMatrix(const CMatrix& parentWorld, float time);
    virtual void OnCountLocators(int32_t& all, int32_t& snappers);
    virtual void OnCollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                                        int32_t& back, int32_t& front);
    virtual void OnBakeStaticAnimation();
    virtual void OnExtendBounds(const CMatrix& world, CVector& min, CVector& max);
    virtual void OnCountGeometry(uint32_t& triangles, uint32_t& vertices);
    virtual bool OnHasShape();
    virtual void OnRemoveAnimation();
    virtual bool OnHasAnimationIn(CModelNode* model);
    virtual void OnLendAnimationTo(CModelNode* otherTree);
    virtual void OnFillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset);
    virtual bool OnGetPositionByPath(const char* path, CVector* out, const CMatrix& world, float time);
    // Writes this node's own chunk (children are written by the walk).
    virtual bool WriteOwnChunk(CChunkWriter& writer);
    // The matrix this node gives its children, from the incoming one.
    virtual void ChildMatrix(CMatrix& out, const CMatrix& incoming, float time);

    // Reads the head common to every node chunk (version, parent, name).
    bool ReadHead(CChunkReader& body, uint32_t& version);
};

class CTreeControl;

// The editor's model tree window as the model nodes see it: its control (null
// while no tree window exists, as in the game), the full-view switch (every
// node listed, else frames merge with a mesh or locator first child), the
// locator display switch (locators listed and their markers drawn only while
// it is set) and the current model view's byte that keeps locator markers off.
struct SModelTreeView
{
    CTreeControl* control = nullptr;
    uint8_t fullView = 0;
    uint8_t locatorDisplay = 0;
    uint8_t viewHidesLocators = 0;
};
extern SModelTreeView g_ModelTreeView;

// The item handle of the model tree's selected item, or 0; when not set, the
// view's control is asked. Without a tree window nothing counts as selected.
extern uint32_t (*g_ModelTreeSelectedItem)();
// This node's tree item is the selected one.
bool IsSelectedInModelTree(const CNode* node);

// "~temp%d.tmp" in the program's folder, created here and empty: the file
// through which models are copied. The number starts at a random one from 0 to
// 255 and the others are tried in turn; a file that exists is never taken.
// Empty when none can be made.
std::string MakeTempFileName();
// A copy of the model, saved into such a file, read back, and the file removed;
// null (the reason in `error`) when that fails.
CRootNode* CopyModelThroughTempFile(CRootNode* source, std::string* error = nullptr);

// Appends printf-style text at `used` without passing `size`; returns the new
// length (never more than size - 1).
size_t AppendText(char* text, size_t size, size_t used, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Reads a model file; null (with a log line naming the file and the reason,
// also given in `error`) when it cannot be read.
CRootNode* LoadTmf(const char* path, std::string* error = nullptr);

struct STmfParseResult
{
    bool ok = false; // an "END " chunk was reached
    size_t end = 0;  // offset just after the "END " chunk
    int skipped = 0; // node chunks that were damaged or had no parent
};

// Builds the tree of the chunk sequence at `data` into `root` and prepares it.
// A whole file image may be given: its magic counts as an empty unknown chunk.
STmfParseResult ParseTmfChunks(const void* data, size_t size, CRootNode* root, const char* source = nullptr);

#include "GAMES/Rulo2/world/CRootNode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/editor/UsageScan.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/WinPath.h"

CRootNode::CRootNode(const char* path) : CFrameNode(nullptr)
{
    modelKind = KIND_ROOT;
    if (path && *path) {
        const std::filesystem::path p = platform::ResolvePath(path);
        SetName(p.stem().string().c_str());
        std::error_code ec;
        if (!p.parent_path().empty())
            std::filesystem::current_path(p.parent_path(), ec);
    }
}

CRootNode::~CRootNode()
{
    ReleaseVertexBuffer();
    std::free(auxiliaryBlock);
    auxiliaryBlock = nullptr;
}

void CRootNode::ReleaseVertexBuffer()
{
    if (vertexBuffer)
        vertexBuffer->Release();
    vertexBuffer = nullptr;
}

void CRootNode::CreateVertexBuffer()
{
    ReleaseVertexBuffer();
    if (animated || vertexCount == 0 || !DX.device)
        return;
    vertexBuffer = ::CreateVertexBuffer(int32_t(vertexCount), FVF_MESH);
    if (!vertexBuffer)
        return;
    int32_t next = 0;
    FillVertexBuffer(vertexBuffer, next);
    vertexBuffer->Optimize(DX.device, 0);
}

bool CRootNode::Refresh()
{
    // Whatever the engine does, a mesh that would be drawn out of bounds is reported.
    bool ok = WalkMeshTree(this, [](CMeshNode* mesh) { return mesh->IndicesValid(); });
    ResolveTextureReferences();
    if (!BuildDrawList(*this))
        ok = false;
    return ok;
}

void CRootNode::OnUpdateWorldMatrix(const CMatrix& parentWorld, float time)
{
    CFrameNode::OnUpdateWorldMatrix(parentWorld, time);
    worldMatricesValid = 1;
}

void CRootNode::ComputeBounds()
{
    boundsMin = CVector(100000, 100000, 100000);
    boundsMax = CVector(-100000, -100000, -100000);
    if (CModelNode* c = FirstModelChild()) {
        CMatrix local;
        evaluateAnimation(local, kRestTime);
        c->ExtendBounds(local, boundsMin, boundsMax);
    }
    if (CModelNode* n = NextModel())
        n->ExtendBounds(CMatrix::Identity, boundsMin, boundsMax);
    if (boundsMin.x == 100000.0f) {
        boundsRadius = 0.0f;
        boundsHalfExtent = 0.0f;
        return;
    }
    const CVector d = boundsMax - boundsMin;
    boundsRadius = d.length() / 2.0f;
    boundsCentre = boundsMin + d * 0.5f;
    boundsHalfExtent = std::max({d.x, d.y, d.z}) / 2.0f;
}

void CRootNode::Prepare()
{
    DeleteMarkedChildren();
    PruneEmptyBranches();
    BakeStaticAnimation();
    UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    const CMatrix kept = prepared ? fileMatrix : localMatrix;
    fileMatrix = kept;
    prepared = 1;
    localMatrix = CMatrix::Identity;
    vertexCount = triangleCount = 0;
    if (CModelNode* c = FirstModelChild())
        c->CountGeometry(triangleCount, vertexCount);
    if (CModelNode* n = NextModel())
        n->CountGeometry(triangleCount, vertexCount);
    locatorCount = snapperCount = 0;
    CountLocators(locatorCount, snapperCount);
    hasShape = HasShape() ? 1 : 0;
    ComputeBounds();
    float start = 100000.0f, end = -100000.0f;
    GetAnimationStart(start);
    GetAnimationEnd(end);
    if (end - start > 0.0f) {
        animationStart = start;
        animationEnd = end;
        animated = 1;
    } else {
        animated = 0;
    }
    if (!Refresh())
        LogPrintf("ILLEGAL INDICES IN MESH '%s'!", name ? name : "unnamed");
    // Re-centre: the model's bounding centre moves to the origin of the
    // matrix the root had before.
    localMatrix.multiply(MatrixTranslation(-boundsCentre), kept);
    originalCentre = boundsCentre;
    boundsCentre.transform(localMatrix);
    boundsMin.transform(localMatrix);
    boundsMax.transform(localMatrix);
    for (int a = 0; a < 3; ++a)
        if (boundsMin[a] > boundsMax[a])
            std::swap(boundsMin[a], boundsMax[a]);
    // The world matrices were taken before the re-centring: pose the model
    // again, or it would be drawn, hit and snapped away from its bounds until
    // something else happened to pose it.
    UpdateWorldMatrix(CMatrix::Identity, kRestTime);
}

bool CRootNode::WriteOwnChunk(CChunkWriter& writer)
{
    if (!prepared)
        return CFrameNode::WriteOwnChunk(writer);
    const CMatrix centred = localMatrix;
    localMatrix = fileMatrix;
    const bool ok = CFrameNode::WriteOwnChunk(writer);
    localMatrix = centred;
    return ok;
}

bool CRootNode::SaveToMemory(CChunkWriter& w)
{
    NumberNodes();
    return w.WriteId(ChunkId("TMF ")) && w.WriteU32(0) && WriteChunk(w) && w.WriteMarker(ChunkId("END "));
}

bool CRootNode::Save(const char* path, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!path || !*path)
        return fail("no file name");
    LogPrintf("Saving '%s'", path);
    CChunkWriter w;
    if (!SaveToMemory(w))
        return fail("cannot write the model");
    const std::string target = platform::ResolvePath(path).string();
    const auto& data = w.Data();
    const auto r = platform::WriteFileAtomically(target, data.data(), data.size());
    switch (r.step) {
    case platform::AtomicWriteResult::Done:
        return true;
    case platform::AtomicWriteResult::Create:
        return fail("cannot create " + target + ".tmp");
    case platform::AtomicWriteResult::Write:
        return fail("write failed");
    default:
        return fail("cannot replace the file");
    }
}

void FormatByteSize(uint64_t bytes, char* text, size_t size)
{
    if (!text || size == 0)
        return;
    static const char* units[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1024) {
        std::snprintf(text, std::min<size_t>(size, 33), "%llu bytes", static_cast<unsigned long long>(bytes));
        return;
    }
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, cut rather than rounded.
    const char* format = value < 10 ? "%.2f %s" : value < 100 ? "%.1f %s" : "%.0f %s";
    const double scale = value < 10 ? 100 : value < 100 ? 10 : 1;
    value = double(uint64_t(value * scale)) / scale;
    std::snprintf(text, std::min<size_t>(size, 33), format, value, units[unit]);
}

size_t CRootNode::Describe(char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    ClearUsedFlags(CTexture::First());
    ClearUsedFlags(CTexturePage::First());
    uint32_t first = 0, second = 0;
    AccumulateSize(first);
    AccumulateSize(second);
    char total[33], difference[33];
    FormatByteSize(uint64_t(first), total, sizeof total);
    FormatByteSize(uint64_t(second - first), difference, sizeof difference);
    size_t used = AppendText(text, size, 0, "ROOT '%s'", name ? name : "unnamed");
    used = AppendText(text, size, used, "\nNumber of triangles: %d", int(triangleCount));
    used = AppendText(text, size, used, "\nNumber of vertices: %d", int(vertexCount));
    used = AppendText(text, size, used, "\nSize: %s (%s)", total, difference);
    return DescribeTransform(text, size, used);
}

#include "GAMES/Rulo2/editor/import/XImport.h"

#include <cmath>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "GAMES/Rulo2/editor/import/ImportText.h"
#include "GAMES/Rulo2/editor/import/XFile.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"

using xfile::XFile;
using xfile::XObject;

namespace {

// References let one object appear many times; these bound what a small
// file can make the reader build.
constexpr int kMaxNodes = 100000;
constexpr size_t kMaxVertices = size_t(1) << 24;
constexpr uint32_t kMaxMaterials = 65536;

struct XReader
{
    const XFile& file;
    int nodes = 0;
    size_t vertices = 0;
    uint32_t depth = 0;
    // Frames being read: a reference back to one of them would never end.
    std::unordered_set<const XObject*> open;

    std::string Where(const XObject& o) const { return file.Where(o.offset); }
};

// Reads an object's data in order, by the template's fields.
class XData
{
public:
    explicit XData(const XObject& o) : o_(o) {}

    size_t Left() const { return o_.numbers.size() - pos_; }
    // A count or index: a whole number that fits 32 bits unsigned.
    bool Dword(uint32_t& v)
    {
        if (pos_ >= o_.numbers.size())
            return false;
        const double d = o_.numbers[pos_];
        if (!(d >= 0 && d <= 4294967295.0) || std::floor(d) != d)
            return false;
        v = uint32_t(d);
        ++pos_;
        return true;
    }
    bool Float(float& v)
    {
        if (pos_ >= o_.numbers.size())
            return false;
        v = float(o_.numbers[pos_++]);
        return true;
    }
    bool Floats(float* v, int n)
    {
        if (Left() < size_t(n))
            return false;
        for (int i = 0; i < n; ++i)
            v[i] = float(o_.numbers[pos_++]);
        return true;
    }

private:
    const XObject& o_;
    size_t pos_ = 0;
};

// The children of an object with references resolved; unresolved ones drop out.
std::vector<const XObject*> Children(const XObject& o)
{
    std::vector<const XObject*> out;
    for (const XObject::Child& c : o.children)
        if (c.object)
            out.push_back(c.object);
    return out;
}

void XReadMaterialData(CSurfaceMaterial& block, const XObject& material, const XReader& r)
{
    // Face colour RGBA, power, specular RGB, emissive RGB.
    float v[11];
    XData data(material);
    if (!data.Floats(v, 11)) {
        LogPrintf("%s: material '%s' has %zu of its 11 numbers: left grey", r.Where(material).c_str(),
                  material.name.c_str(), material.numbers.size());
        return;
    }
    for (int i = 0; i < 4; ++i)
        block.colour[i] = block.colour[4 + i] = v[i];
    block.colour[16] = v[4];
    for (int i = 0; i < 3; ++i) {
        block.colour[8 + i] = v[5 + i];
        block.colour[12 + i] = v[8 + i];
    }
}

void XReadMaterial(const XObject& list, std::vector<CSurfaceMaterial>& blocks, const XReader& r)
{
    size_t next = 0;
    for (const XObject* c : Children(list))
        if (c->type == "Material" && next < blocks.size())
            XReadMaterialData(blocks[next++], *c, r);
}

// Material count, face count and one material number per face; null (with
// a log line) when the list cannot be used.
bool ReadMaterialList(const XObject& list, uint32_t faceCount, std::vector<int32_t>& table,
                      std::vector<CSurfaceMaterial>& blocks, const XReader& r, const std::string& mesh)
{
    XData data(list);
    uint32_t materials = 0, faces = 0;
    if (!data.Dword(materials) || !data.Dword(faces) || faces > data.Left() || materials > kMaxMaterials) {
        LogPrintf("%s: material list of mesh '%s' has counts its data do not hold: left out",
                  r.Where(list).c_str(), mesh.c_str());
        return false;
    }
    if (faces != faceCount) {
        LogPrintf("%s: material list of mesh '%s' is for %u faces, the mesh has %u: left out",
                  r.Where(list).c_str(), mesh.c_str(), faces, faceCount);
        return false;
    }
    table.assign({int32_t(materials), 0});
    for (uint32_t i = 0; i < faces; ++i) {
        uint32_t m = 0;
        if (!data.Dword(m) || m >= materials) {
            LogPrintf("%s: material list of mesh '%s': face %u has material %u of %u: left out",
                      r.Where(list).c_str(), mesh.c_str(), i, m, materials);
            return false;
        }
        table.push_back(int32_t(m));
    }
    blocks.assign(materials, CSurfaceMaterial());
    XReadMaterial(list, blocks, r);
    return true;
}

bool XReadMesh(CModelNode& parent, const XObject& o, XReader& r)
{
    XData data(o);
    uint32_t vertexCount = 0, faceCount = 0;
    bool ok = data.Dword(vertexCount) && vertexCount <= data.Left() / 3;
    std::vector<MeshVertex> vertices;
    if (ok) {
        vertices.resize(vertexCount);
        for (MeshVertex& v : vertices) {
            v = MeshVertex{};
            data.Floats(&v.x, 3);
        }
        ok = data.Dword(faceCount) && faceCount <= data.Left();
    }
    std::vector<int32_t> faces;
    for (uint32_t f = 0; ok && f < faceCount; ++f) {
        uint32_t n = 0;
        ok = data.Dword(n) && n <= data.Left();
        faces.push_back(int32_t(ok ? n : 0));
        for (uint32_t c = 0; ok && c < n; ++c) {
            uint32_t index = 0;
            // A number that is no vertex index leaves the polygon to the mesh's check.
            faces.push_back(data.Dword(index) && index < vertexCount ? int32_t(index) : -1);
        }
    }
    if (!ok) {
        LogPrintf("%s: mesh '%s' has counts its data do not hold: left out", r.Where(o).c_str(),
                  o.name.c_str());
        return false;
    }
    if (r.vertices + vertexCount > kMaxVertices || r.nodes >= kMaxNodes) {
        LogPrintf("%s: mesh '%s' left out: the file makes too many vertices", r.Where(o).c_str(),
                  o.name.c_str());
        return false;
    }
    r.vertices += vertexCount;
    ++r.nodes;

    bool normals = false;
    std::vector<int32_t> table;
    std::vector<CSurfaceMaterial> blocks;
    for (const XObject* c : Children(o)) {
        if (c->type == "MeshMaterialList") {
            table.clear();
            blocks.clear();
            if (!ReadMaterialList(*c, faceCount, table, blocks, r, o.name)) {
                table.clear();
                blocks.clear();
            }
        } else if (c->type == "MeshNormals") {
            XData n(*c);
            uint32_t count = 0;
            // Normal i belongs to vertex i; the face normals are not used.
            if (n.Dword(count) && count == vertexCount && count <= n.Left() / 3) {
                for (MeshVertex& v : vertices)
                    n.Floats(&v.nx, 3);
                normals = true;
            } else {
                LogPrintf("%s: normals of mesh '%s' do not match its %u vertices: computed instead",
                          r.Where(*c).c_str(), o.name.c_str(), vertexCount);
            }
        } else if (c->type == "MeshTextureCoords") {
            XData t(*c);
            uint32_t count = 0;
            if (t.Dword(count) && count == vertexCount && count <= t.Left() / 2) {
                for (MeshVertex& v : vertices)
                    t.Floats(&v.u, 2);
            } else {
                LogPrintf("%s: texture coordinates of mesh '%s' do not match its %u vertices: left out",
                          r.Where(*c).c_str(), o.name.c_str(), vertexCount);
            }
        }
    }
    auto* mesh = new CMeshNode(o.name.c_str(), int32_t(vertexCount), vertices.data(), int32_t(faceCount),
                               faces.data(), blocks.empty() ? nullptr : blocks.data(),
                               table.empty() ? nullptr : table.data(), nullptr);
    if (!normals)
        mesh->ComputeNormals();
    parent.AddChild(mesh);
    return true;
}

bool XReadFrame(CModelNode& parent, const XObject& o, XReader& r)
{
    if (r.open.count(&o)) {
        LogPrintf("%s: frame '%s' refers to itself: left out", r.Where(o).c_str(), o.name.c_str());
        return false;
    }
    // References can chain frames deeper than the file nests them; the meshes
    // of a frame must stay within what a model file holds.
    if (r.nodes >= kMaxNodes || r.depth + 1 >= kMaxTreeDepth) {
        LogPrintf("%s: frame '%s' left out: the file makes too many nodes or nests them too deep",
                  r.Where(o).c_str(), o.name.c_str());
        return false;
    }
    ++r.nodes;
    ++r.depth;
    r.open.insert(&o);
    auto frame = std::make_unique<CFrameNode>(o.name.c_str());
    frame->scaling = CVector(1, 1, 1);
    for (const XObject* c : Children(o)) {
        if (c->type == "Frame") {
            XReadFrame(*frame, *c, r);
        } else if (c->type == "Mesh") {
            XReadMesh(*frame, *c, r);
        } else if (c->type == "FrameTransformMatrix") {
            // Taken as it stands: row vectors, translation in the last row.
            if (c->numbers.size() == 16)
                for (int i = 0; i < 16; ++i)
                    frame->localMatrix[i] = float(c->numbers[size_t(i)]);
            else
                LogPrintf("%s: matrix of frame '%s' has %zu numbers, not 16: left out", r.Where(*c).c_str(),
                          o.name.c_str(), c->numbers.size());
        }
    }
    r.open.erase(&o);
    --r.depth;
    parent.AddChild(frame.release());
    return true;
}

} // namespace

bool LoadXFileBytes(std::string_view bytes, CRootNode& root, const char* source)
{
    XFile file;
    switch (file.Parse(bytes, source)) {
    case XFile::Result::OK:
        break;
    case XFile::Result::COMPRESSED:
        LogPrintf("%s: compressed .x files are not supported", source);
        return false;
    case XFile::Result::NOT_X:
        return false;
    case XFile::Result::DAMAGED:
        LogPrintf("%s", file.Error().c_str());
        return false;
    }
    XReader reader{file, 0, 0, 0, {}};
    for (const XObject* o : file.TopLevel()) {
        if (o->type == "Frame")
            XReadFrame(root, *o, reader);
        else if (o->type == "Mesh")
            XReadMesh(root, *o, reader);
    }
    root.Prepare();
    return true;
}

CRootNode* LoadXFile(const char* name)
{
    if (!name || !*name)
        return nullptr;
    const std::filesystem::path resource = platform::FindResource("Model", name);
    const std::string path = resource.empty() ? std::string(name) : resource.string();
    std::string bytes;
    if (!importtext::ReadFileHead(path.c_str(), 4, bytes) || bytes != "xof " ||
        !platform::ReadFile(path, bytes))
        return nullptr;
    auto root = std::make_unique<CRootNode>(name);
    if (!LoadXFileBytes(bytes, *root, name))
        return nullptr;
    return root.release();
}

#include "GAMES/Rulo2/editor/import/ObjImport.h"

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/editor/import/ImportText.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

using namespace importtext;

namespace {

// An empty field ("1//3"): the corner has no such index.
constexpr long kAbsent = LONG_MIN;

// Positions, normals and texture coordinates count from the start of the
// file, across meshes.
struct ObjLists
{
    std::vector<float> positions; // 3 per entry
    std::vector<float> normals;   // 3 per entry
    std::vector<float> texCoords; // 2 per entry
};

struct ObjCorner
{
    long position, texture, normal; // from 1, as in the file; kAbsent for an empty field
    int column;
};

struct ObjFace
{
    int line;
    size_t firstCorner;
    int32_t cornerCount;
};

// The faces since the last mesh.
struct ObjRun
{
    std::vector<ObjFace> faces;
    std::vector<ObjCorner> corners;
    std::string group;
};

// A negative index counts back from the end of its list as it stands at the
// face line; the result may still lie outside (checked when the mesh is built).
long Resolve(long index, size_t listCount)
{
    if (index == kAbsent || index >= 0)
        return index;
    return long(listCount) + index + 1;
}

bool InList(long index, size_t listCount)
{
    return index != kAbsent && index >= 1 && size_t(index) <= listCount;
}

void ReadFloats(std::string_view line, size_t pos, float* out, int count)
{
    for (int i = 0; i < count; ++i) {
        out[i] = 0.0f;
        const std::string_view word = NextWord(line, pos);
        if (!word.empty())
            ParseFloat(word, out[i]);
    }
}

// Fields are cut at runs of blanks and at every '/'; a field that begins
// with '/' is empty. Every three fields make a corner: position/texture/normal.
bool ReadFace(std::string_view line, int lineNumber, const ObjLists& lists, ObjRun& run, const char* source)
{
    struct Field
    {
        long value;
        int column;
    };
    std::vector<Field> fields;
    size_t p = 2;
    for (;;) {
        while (p < line.size() && IsBlank(line[p]))
            ++p;
        if (p >= line.size())
            break;
        if (line[p] == '/') {
            fields.push_back({kAbsent, int(p) + 1});
            ++p;
            continue;
        }
        const size_t start = p;
        while (p < line.size() && !IsBlank(line[p]) && line[p] != '/')
            ++p;
        long value = 0;
        if (!ParseLong(line.substr(start, p - start), value) || value == kAbsent) {
            LogPrintf("%s:%d:%zu: face left out: '%.*s' is not an index", source, lineNumber, start + 1,
                      int(p - start), line.data() + start);
            return false;
        }
        fields.push_back({value, int(start) + 1});
        if (p < line.size() && line[p] == '/')
            ++p;
    }
    const size_t cornerCount = fields.size() / 3;
    if (cornerCount > size_t(INT32_MAX / 4))
        return false;
    ObjFace face{lineNumber, run.corners.size(), int32_t(cornerCount)};
    for (size_t c = 0; c < cornerCount; ++c) {
        const Field* f = &fields[3 * c];
        run.corners.push_back({Resolve(f[0].value, lists.positions.size() / 3),
                               Resolve(f[1].value, lists.texCoords.size() / 2),
                               Resolve(f[2].value, lists.normals.size() / 3), f[0].column});
    }
    run.faces.push_back(face);
    return true;
}

// Every corner becomes a vertex of its own; positions and normals turn from
// (x, y, z) to (y, z, x).
void ObjBuildMesh(CRootNode& root, ObjRun& run, const ObjLists& lists, const char* source)
{
    const size_t positionCount = lists.positions.size() / 3;
    const size_t normalCount = lists.normals.size() / 3;
    const size_t texCount = lists.texCoords.size() / 2;
    std::vector<MeshVertex> vertices;
    std::vector<int32_t> polygons;
    int32_t polygonCount = 0;
    bool allNormals = true;
    for (const ObjFace& face : run.faces) {
        const ObjCorner* corners = &run.corners[face.firstCorner];
        bool usable = true;
        for (int32_t c = 0; c < face.cornerCount && usable; ++c)
            if (!InList(corners[c].position, positionCount)) {
                LogPrintf("%s:%d:%d: face left out: position index %ld outside the %zu positions", source,
                          face.line, corners[c].column,
                          corners[c].position == kAbsent ? 0 : corners[c].position, positionCount);
                usable = false;
            }
        if (!usable)
            continue;
        bool reported = false;
        polygons.push_back(face.cornerCount);
        for (int32_t c = 0; c < face.cornerCount; ++c) {
            const ObjCorner& k = corners[c];
            MeshVertex v{};
            const float* p = &lists.positions[3 * size_t(k.position - 1)];
            v.x = p[1];
            v.y = p[2];
            v.z = p[0];
            const bool badTexture = k.texture != kAbsent && !InList(k.texture, texCount);
            const bool badNormal = k.normal != kAbsent && !InList(k.normal, normalCount);
            if ((badTexture || badNormal) && !reported) {
                LogPrintf("%s:%d:%d: %s index %ld outside the %zu in the file: left out", source, face.line,
                          k.column, badTexture ? "texture" : "normal", badTexture ? k.texture : k.normal,
                          badTexture ? texCount : normalCount);
                reported = true;
            }
            if (InList(k.texture, texCount)) {
                v.u = lists.texCoords[2 * size_t(k.texture - 1)];
                v.v = lists.texCoords[2 * size_t(k.texture - 1) + 1];
            }
            if (InList(k.normal, normalCount)) {
                const float* n = &lists.normals[3 * size_t(k.normal - 1)];
                v.nx = n[1];
                v.ny = n[2];
                v.nz = n[0];
            } else {
                allNormals = false;
            }
            polygons.push_back(int32_t(vertices.size()));
            vertices.push_back(v);
        }
        ++polygonCount;
    }
    auto* mesh = new CMeshNode(run.group.c_str(), int32_t(vertices.size()), vertices.data(), polygonCount,
                               polygons.data(), nullptr, nullptr, nullptr);
    if (!allNormals)
        mesh->ComputeNormals();
    root.AddChild(mesh);
    run.faces.clear();
    run.corners.clear();
    run.group.clear();
}

bool StartsWith(std::string_view line, std::string_view head)
{
    return line.substr(0, head.size()) == head;
}

} // namespace

bool ImportObjText(std::string_view text, CRootNode& root, const char* source)
{
    if (!StartsWith(text, "v "))
        return false;
    ObjLists lists;
    ObjRun run;
    ForEachLine(text, [&](std::string_view line, int number) {
        if (StartsWith(line, "f ")) {
            ReadFace(line, number, lists, run, source);
        } else if (StartsWith(line, "g ")) {
            size_t pos = 2;
            run.group = std::string(NextWord(line, pos));
        } else if (StartsWith(line, "vt ")) {
            float t[2];
            ReadFloats(line, 3, t, 2);
            lists.texCoords.insert(lists.texCoords.end(), t, t + 2);
        } else if (StartsWith(line, "vn ")) {
            float n[3];
            ReadFloats(line, 3, n, 3);
            lists.normals.insert(lists.normals.end(), n, n + 3);
        } else if (StartsWith(line, "v ")) {
            if (!run.faces.empty())
                ObjBuildMesh(root, run, lists, source);
            float p[3];
            ReadFloats(line, 2, p, 3);
            lists.positions.insert(lists.positions.end(), p, p + 3);
        }
    });
    if (!run.faces.empty())
        ObjBuildMesh(root, run, lists, source);
    root.Prepare();
    return true;
}

CRootNode* ImportObj(const char* path)
{
    std::string text;
    if (!path || !platform::ReadTextFile(path, text))
        return nullptr;
    if (!StartsWith(text, "v "))
        return nullptr;
    auto root = std::make_unique<CRootNode>(path);
    if (!ImportObjText(text, *root, path))
        return nullptr;
    return root.release();
}

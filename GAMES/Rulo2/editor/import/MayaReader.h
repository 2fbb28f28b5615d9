#pragma once
// What the Maya ASCII importer's node readers share: statements, tokens,
// attribute names, the record chain of the shading network and animation,
// and what the mesh reader leaves for resolving them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "GAMES/Rulo2/world/CRootNode.h"

class CMeshNode;

namespace maya {

// Statements from text: leading tabs of every physical line are stripped,
// lines are joined without separator until one ends in ";"; a first line
// that starts with "//" is a statement of its own.
class MayaStatements
{
public:
    explicit MayaStatements(std::string_view text) : text_(text) {}
    // False at the end of the text (also in the middle of a statement).
    bool MayaReadLine(std::string& statement, int& line);

private:
    std::string_view text_;
    size_t pos_ = 0;
    int lineNumber_ = 0;
};

// The next token from `pos` (a quoted one without its quotes); false at ";"
// or the end of the statement.
bool MayaReadToken(std::string_view statement, size_t& pos, std::string& token);

// Whether `token` names `name`: flags ("-...") exactly, attributes followed by
// "[", "." or the end. An index [a] or range [a:b] gives first and last
// (without one: 0 and -1); a compound remainder (".child...") replaces the token.
bool MayaMatchAttr(std::string& token, std::string_view name, long& first, long& last);

// "on", "true" and "yes" (and longer words that start so) are true.
bool MayaBool(std::string_view token);

// The values after an attribute, token by token; "-type" and its type name
// are skipped where a value is expected. A number reads like atof/atoi.
class MayaValues
{
public:
    MayaValues(std::string_view statement, size_t pos) : s_(statement), pos_(pos) {}

    bool Token(std::string& t) { return MayaReadToken(s_, pos_, t); }
    bool Value(std::string& t);
    // False when the values have run out (a word that is no number reads as 0).
    bool Float(float& v);
    bool Floats(float* v, int n);
    bool Number(float& v) { return Float(v); }
    bool Number(long& v);
    // False also when the value is no number.
    bool Long(long& v);
    bool Bool(bool& v);

private:
    std::string_view s_;
    size_t pos_;
};

struct MayaRecord
{
    enum Kind
    {
        MATERIAL = 1,
        SHADING_GROUP = 2,
        PLACEMENT = 3,
        FILE_TEXTURE = 4,
        ANIM_CURVE = 5,
    };
    int32_t kind = 0;
    std::string name;
    // Material.
    int32_t shaderType = 0; // 0 blinn, 1 lambert, 2 phong
    // color, ambientColor, incandescence, reflectedColor, transparency, specularColor
    float colours[6][4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1},
                           {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    float cosinePower = 20.0f;
    float diffuse = 0, reflectivity = 0, eccentricity = 0, specularRollOff = 0, refractiveIndex = 0;
    MayaRecord* texture = nullptr;
    // Shading group.
    MayaRecord* material = nullptr;
    struct Member
    {
        CMeshNode* mesh;
        int32_t material;
    };
    std::vector<Member> members;
    // File texture.
    std::string fileName;
    // Animation curve: its "-size" count, and the key times and values as far
    // as the file filled them.
    int32_t channel = 0;
    int32_t keyCount = 0;
    std::vector<float> times, values;
    int32_t pointIndex = -1;
    int32_t tangentType = 4;
};

// What resolving needs of a mesh the importer made.
struct MayaMeshInfo
{
    std::vector<int32_t> groupNumbers;               // per material: its object group
    std::vector<std::vector<int32_t>> pointVertices; // per point: the mesh vertices made from it
    std::vector<float> pointPositions;               // per point: x, y, z
    int32_t trackPoint = -1;                         // the point of the newest track
};

struct MayaImport
{
    MayaImport(std::string_view text, CRootNode& root, const char* source)
        : statements(text), root(root), source(source ? source : "")
    {
    }

    // Reads statements while they start with "setAttr" or "addAttr" and
    // returns the first that does not (empty at the end of the file).
    std::string MayaSkipAttrLines();
    // The next statement, or false at the end; `line` is where it starts.
    bool Next(std::string& statement) { return statements.MayaReadLine(statement, line); }

    // Arrays grow as the file fills them; all of one import share this
    // bound, so that a small damaged file cannot make the reader reserve
    // gigabytes. False (with a log line) when `more` elements do not fit.
    bool Grow(size_t more, const char* what);

    MayaRecord* MayaFindRecord(std::string_view name, int32_t kind = 0);
    MayaRecord* AddRecord(int32_t kind, std::string name);

    MayaStatements statements;
    CRootNode& root;
    const char* source;
    int line = 0;
    size_t elementsLeft = size_t(1) << 25;
    std::vector<std::unique_ptr<MayaRecord>> records;
    std::unordered_map<CMeshNode*, MayaMeshInfo> meshes;
};

bool IsAttrStatement(std::string_view statement);

// The "-name" and "-parent" values of a createNode statement's rest.
struct MayaNodeFlags
{
    std::string name;
    std::string parent;
    bool hasName = false;
    bool hasParent = false;
};
MayaNodeFlags MayaReadNodeFlags(std::string_view rest);

// The node that "-parent" names (the root without one); null, with the log
// line for a missing parent, when the node cannot be attached.
CNode* MayaFindParent(MayaImport& im, const MayaNodeFlags& flags, const char* kind);

// The reader of `createNode mesh`; returns the statement after its attributes.
std::string MayaReadMeshNode(MayaImport& im, std::string_view rest);

} // namespace maya

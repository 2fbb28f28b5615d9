#include "GAMES/Rulo2/editor/import/MayaImport.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/editor/import/ImportText.h"
#include "GAMES/Rulo2/editor/import/MayaReader.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

namespace maya {

namespace {

constexpr float kDegrees = 3.1415927f / 180.0f;

bool StartsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
}

// The statement's keyword ("setAttr"/"addAttr") and its first token.
bool FirstAttrToken(std::string_view statement, size_t& pos, std::string& token)
{
    pos = 0;
    std::string keyword;
    return MayaReadToken(statement, pos, keyword) && MayaReadToken(statement, pos, token);
}

int MayaChannelIndex(std::string_view channel)
{
    static const char* const names[] = {"translateX", "translateY", "translateZ", "rotateX", "rotateY",
                                        "rotateZ",    "scaleX",     "scaleY",     "scaleZ",  "visibility"};
    for (int i = 0; i < 10; ++i)
        if (StartsWith(channel, names[i]))
            return i + 1;
    if (StartsWith(channel, "pnts") && channel.size() >= 4) {
        const std::string_view axis = channel.substr(channel.size() - 4);
        if (axis == "pntx")
            return 11;
        if (axis == "pnty")
            return 12;
        if (axis == "pntz")
            return 13;
    }
    return 0;
}

bool MayaCheckUnits(std::string_view statement)
{
    size_t pos = 0;
    std::string token, value;
    MayaReadToken(statement, pos, token); // "currentUnit"
    while (MayaReadToken(statement, pos, token)) {
        const char* wanted = token == "-linear"  ? "centimeter"
                             : token == "-angle" ? "degree"
                             : token == "-time"  ? "film"
                                                 : nullptr;
        if (token == "-l" || token == "-a" || token == "-t")
            return false;
        if (wanted && (!MayaReadToken(statement, pos, value) || value != wanted))
            return false;
    }
    return true;
}

// Sets the node's matrix from its rest values through the frame's own
// composition: an animation block without keys samples exactly those values.
void ComposeRestMatrix(CFrameNode& node)
{
    node.animation = new CFrameAnimation;
    CMatrix m;
    node.evaluateAnimation(m, kRestTime);
    node.FreeAnimation();
    node.localMatrix = m;
}

// Attaches a new node below its parent; false (node destroyed, message
// logged) when the parent does not exist.
bool AttachNode(MayaImport& im, CModelNode* node, const MayaNodeFlags& flags, const char* kind)
{
    CNode* parent = MayaFindParent(im, flags, kind);
    if (!parent) {
        delete node;
        return false;
    }
    parent->AddChild(node);
    return true;
}

void UnknownParameter(const MayaImport& im, const std::string& attr, const char* kind,
                      const std::string& node)
{
    LogPrintf("Unknown parameter '%s' in %s '%s'", attr.c_str(), kind, node.c_str());
    LogPrintf("%s:%d: statement dropped", im.source, im.line);
}

// Transforms and joints share their flags and most attributes.
std::string MayaReadFrameOrJoint(MayaImport& im, std::string_view rest, bool joint)
{
    const char* kind = joint ? "JointNode" : "FrameNode";
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (!flags.hasName)
        return im.MayaSkipAttrLines();
    CFrameNode* node = joint ? new CJointNode(flags.name.c_str()) : new CFrameNode(flags.name.c_str());
    if (!AttachNode(im, node, flags, kind))
        return im.MayaSkipAttrLines();
    CVector t(0, 0, 0), r(0, 0, 0), s(1, 1, 1), shear(0, 0, 0), rp(0, 0, 0), sp(0, 0, 0), rpt(0, 0, 0),
        spt(0, 0, 0), orient(0, 0, 0);
    std::string statement;
    while (im.Next(statement)) {
        if (!IsAttrStatement(statement))
            break;
        size_t pos;
        std::string attr;
        if (!FirstAttrToken(statement, pos, attr))
            continue;
        if (StartsWith(attr, "-keyable") || StartsWith(attr, "-alteredValue") || StartsWith(attr, "-lock") ||
            (!joint && (StartsWith(attr, "-cachedInternally") || StartsWith(attr, ".displayHandle") ||
                        StartsWith(attr, ".selectHandle"))))
            continue;
        MayaValues args(statement, pos);
        long first, last;
        bool flag = false;
        float v[3];
        CVector* target = nullptr;
        bool angles = false;
        if (MayaMatchAttr(attr, ".template", first, last) ||
            MayaMatchAttr(attr, ".intermediateObject", first, last)) {
            if (args.Bool(flag) && flag)
                node->spareFlag = 1;
        } else if (MayaMatchAttr(attr, ".visibility", first, last)) {
            if (args.Bool(flag) && !flag)
                node->spareFlag = 1;
        } else if (MayaMatchAttr(attr, ".translate", first, last)) {
            target = &t;
        } else if (MayaMatchAttr(attr, ".rotate", first, last)) {
            target = &r;
            angles = true;
        } else if (MayaMatchAttr(attr, ".scale", first, last)) {
            target = &s;
        } else if (joint && MayaMatchAttr(attr, ".jointOrient", first, last)) {
            target = &orient;
            angles = true;
        } else if (joint && (MayaMatchAttr(attr, ".minRotLimit", first, last) ||
                             MayaMatchAttr(attr, ".maxRotLimit", first, last))) {
        } else if (!joint && MayaMatchAttr(attr, ".shear", first, last)) {
            target = &shear;
        } else if (!joint && MayaMatchAttr(attr, ".rotatePivot", first, last)) {
            target = &rp;
        } else if (!joint && MayaMatchAttr(attr, ".scalePivot", first, last)) {
            target = &sp;
        } else if (!joint && MayaMatchAttr(attr, ".rotatePivotTranslate", first, last)) {
            target = &rpt;
        } else if (!joint && MayaMatchAttr(attr, ".scalePivotTranslate", first, last)) {
            target = &spt;
        } else {
            UnknownParameter(im, attr, kind, flags.name);
        }
        if (target && args.Floats(v, 3))
            *target = angles ? CVector(v[0] * kDegrees, v[1] * kDegrees, v[2] * kDegrees)
                             : CVector(v[0], v[1], v[2]);
    }
    node->translation = t;
    node->rotation = r;
    node->scaling = s;
    if (joint) {
        auto* j = static_cast<CJointNode*>(node);
        CMatrix rx, ry;
        rx.rotationX(orient.x);
        ry.rotationY(orient.y);
        j->jointOrient.multiply(rx, ry);
        j->jointOrient.multiply(j->jointOrient, MatrixRotationZ(orient.z));
    } else {
        node->shear = shear;
        node->rotatePivot = rp;
        node->scalePivot = sp;
        node->rotatePivotTranslation = rpt;
        node->scalePivotTranslation = spt;
    }
    ComposeRestMatrix(*node);
    return statement;
}

std::string MayaReadLocatorNode(MayaImport& im, std::string_view rest)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (flags.hasName)
        AttachNode(im, new CLocatorNode(flags.name.c_str()), flags, "LocatorNode");
    return im.MayaSkipAttrLines();
}

std::string MayaReadMaterialNode(MayaImport& im, std::string_view rest, int32_t shaderType)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (!flags.hasName)
        return im.MayaSkipAttrLines();
    MayaRecord* m = im.AddRecord(MayaRecord::MATERIAL, flags.name);
    m->shaderType = shaderType;
    static const char* const colourNames[6] = {".color",          ".ambientColor", ".incandescence",
                                               ".reflectedColor", ".transparency", ".specularColor"};
    const std::pair<const char*, float*> values[] = {
        {".cosinePower", &m->cosinePower},         {".diffuse", &m->diffuse},
        {".reflectivity", &m->reflectivity},       {".eccentricity", &m->eccentricity},
        {".specularRollOff", &m->specularRollOff}, {".refractiveIndex", &m->refractiveIndex},
    };
    std::string statement;
    while (im.Next(statement)) {
        if (!IsAttrStatement(statement))
            break;
        size_t pos;
        std::string attr;
        if (!FirstAttrToken(statement, pos, attr))
            continue;
        MayaValues args(statement, pos);
        long first, last;
        bool known = false;
        for (int c = 0; c < 6 && !known; ++c)
            if (MayaMatchAttr(attr, colourNames[c], first, last)) {
                known = true;
                args.Floats(m->colours[c], 3);
            }
        for (const auto& [name, field] : values)
            if (!known && MayaMatchAttr(attr, name, first, last)) {
                known = true;
                args.Float(*field);
            }
        if (!known)
            UnknownParameter(im, attr, "MaterialNode", flags.name);
    }
    return statement;
}

std::string MayaReadRecordOnly(MayaImport& im, std::string_view rest, int32_t kind)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (flags.hasName)
        im.AddRecord(kind, flags.name);
    return im.MayaSkipAttrLines();
}

std::string MayaReadFileNode(MayaImport& im, std::string_view rest)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (!flags.hasName)
        return im.MayaSkipAttrLines();
    MayaRecord* file = im.AddRecord(MayaRecord::FILE_TEXTURE, flags.name);
    std::string statement;
    while (im.Next(statement)) {
        if (!IsAttrStatement(statement))
            break;
        size_t pos;
        std::string attr;
        if (!FirstAttrToken(statement, pos, attr))
            continue;
        long first, last;
        MayaValues args(statement, pos);
        if (MayaMatchAttr(attr, ".fileTextureName", first, last))
            args.Value(file->fileName);
        else
            UnknownParameter(im, attr, "FileNode", flags.name);
    }
    return statement;
}

std::string MayaReadAnimCurveNode(MayaImport& im, std::string_view rest)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (!flags.hasName)
        return im.MayaSkipAttrLines();
    // object "_" channel
    const size_t split = flags.name.rfind('_');
    const std::string object = split == std::string::npos ? flags.name : flags.name.substr(0, split);
    const std::string channelPart = split == std::string::npos ? std::string() : flags.name.substr(split + 1);
    const int channel = MayaChannelIndex(channelPart);
    if (channel == 10)
        return im.MayaSkipAttrLines();
    if (channel == 0) {
        LogPrintf("Unknown anim-type '%s' for AnimCurveNode '%s'", channelPart.c_str(), flags.name.c_str());
        return im.MayaSkipAttrLines();
    }
    MayaRecord* curve = im.AddRecord(MayaRecord::ANIM_CURVE, object);
    curve->channel = channel;
    if (channel >= 11) {
        long point = -1;
        std::string_view digits = std::string_view(channelPart).substr(4);
        if (!digits.empty() && digits[0] == '[')
            digits.remove_prefix(1);
        curve->pointIndex =
            importtext::ParseLong(digits, point) && point >= 0 && point <= INT32_MAX ? int32_t(point) : -1;
    }
    long size = -1;
    bool allocated = false;
    std::string statement;
    while (im.Next(statement)) {
        if (!IsAttrStatement(statement))
            break;
        size_t pos;
        std::string attr;
        if (!FirstAttrToken(statement, pos, attr))
            continue;
        MayaValues args(statement, pos);
        long first, last;
        // "-size N" comes before the attribute it sizes.
        while (MayaMatchAttr(attr, "-size", first, last)) {
            args.Long(size);
            if (!args.Token(attr))
                break;
        }
        if (attr == "-size")
            continue;
        if (MayaMatchAttr(attr, ".tangentType", first, last)) {
            long type = 4;
            if (args.Long(type))
                curve->tangentType = int32_t(type);
        } else if (MayaMatchAttr(attr, ".keyTimeValue", first, last)) {
            if (!allocated) {
                // The count is fixed by the first such statement.
                curve->keyCount = size > 0 && size <= INT32_MAX ? int32_t(size) : 1;
                allocated = true;
            }
            if (last < 0)
                last = first;
            for (long k = first; k <= last; ++k) {
                float time, value;
                if (!args.Float(time) || !args.Float(value))
                    break;
                if (k < 0 || k >= curve->keyCount) {
                    LogPrintf("%s:%d: key %ld of curve '%s' beyond its %d keys dropped", im.source, im.line,
                              k, flags.name.c_str(), curve->keyCount);
                    continue;
                }
                if (size_t(k) >= curve->times.size()) {
                    if (!im.Grow(2 * (size_t(k) + 1 - curve->times.size()), "keys"))
                        break;
                    curve->times.resize(size_t(k) + 1, 0.0f);
                    curve->values.resize(size_t(k) + 1, 0.0f);
                }
                curve->times[size_t(k)] = time / 24.0f;
                curve->values[size_t(k)] = value;
            }
        } else if (!MayaMatchAttr(attr, ".preInfinity", first, last) &&
                   !MayaMatchAttr(attr, ".postInfinity", first, last) && !StartsWith(attr, ".keyTan")) {
            UnknownParameter(im, attr, "AnimCurveNode", flags.name);
        }
    }
    return statement;
}

// A plug "node.attribute" split at its first ".".
std::pair<std::string, std::string> SplitPlug(const std::string& plug)
{
    const size_t dot = plug.find('.');
    if (dot == std::string::npos)
        return {plug, std::string()};
    return {plug.substr(0, dot), plug.substr(dot + 1)};
}

void MayaConnect(MayaImport& im, std::string_view statement)
{
    size_t pos = 0;
    std::string keyword, from, to;
    MayaReadToken(statement, pos, keyword);
    if (!MayaReadToken(statement, pos, from) || !MayaReadToken(statement, pos, to))
        return;
    const auto [srcNode, srcAttr] = SplitPlug(from);
    const auto [dstNode, dstAttr] = SplitPlug(to);
    const int dstChannel = MayaChannelIndex(dstAttr);
    if (srcAttr == "output" && dstChannel != 0) {
        const size_t split = srcNode.rfind('_');
        if (split == std::string::npos)
            return;
        const std::string object = srcNode.substr(0, split);
        if (object == dstNode)
            return;
        const int channel = MayaChannelIndex(std::string_view(srcNode).substr(split + 1));
        for (auto& r : im.records)
            if (r->kind == MayaRecord::ANIM_CURVE && r->name == object && r->channel == channel) {
                r->channel = dstChannel;
                r->name = dstNode;
                break;
            }
    } else if (srcAttr == "outColor" && dstAttr == "surfaceShader") {
        MayaRecord* material = im.MayaFindRecord(srcNode, MayaRecord::MATERIAL);
        MayaRecord* group = im.MayaFindRecord(dstNode, MayaRecord::SHADING_GROUP);
        if (material && group)
            group->material = material;
    } else if (srcAttr == "outColor" && dstAttr == "color") {
        MayaRecord* file = im.MayaFindRecord(srcNode, MayaRecord::FILE_TEXTURE);
        MayaRecord* material = im.MayaFindRecord(dstNode, MayaRecord::MATERIAL);
        if (!material && !im.MayaFindRecord(dstNode)) {
            material = im.AddRecord(MayaRecord::MATERIAL, dstNode);
            material->shaderType = 1;
            im.records.front()->material = material;
        }
        if (material && file)
            material->texture = file;
    } else if (StartsWith(srcAttr, "instObjGroups") && dstAttr == "dagSetMembers") {
        CNode* node = im.root.FindByName(srcNode.c_str());
        MayaRecord* group = im.MayaFindRecord(dstNode, MayaRecord::SHADING_GROUP);
        auto* mesh = dynamic_cast<CMeshNode*>(node);
        if (!mesh || !group)
            return;
        // "instObjGroups.objectGroups[m]", also with the instance index
        // ("instObjGroups[0].objectGroups[m]") that scenes write.
        std::string_view rest = std::string_view(srcAttr).substr(13);
        if (!rest.empty() && rest[0] == '[') {
            const size_t close = rest.find(']');
            rest = close == std::string_view::npos ? std::string_view() : rest.substr(close + 1);
        }
        if (StartsWith(rest, ".objectGroups[")) {
            long m = -1;
            importtext::ParseLong(rest.substr(14), m);
            const auto found = im.meshes.find(mesh);
            if (found == im.meshes.end())
                return;
            const std::vector<int32_t>& numbers = found->second.groupNumbers;
            for (size_t i = 0; i < numbers.size(); ++i)
                if (numbers[i] == m) {
                    group->members.push_back({mesh, int32_t(i)});
                    return;
                }
            return;
        }
        group->members.push_back({mesh, 0});
    }
}

void ResolveMaterials(MayaImport& im)
{
    for (auto& r : im.records) {
        if (r->kind != MayaRecord::SHADING_GROUP || !r->material)
            continue;
        const MayaRecord& mat = *r->material;
        for (const MayaRecord::Member& member : r->members) {
            if (member.material < 0 || member.material >= member.mesh->materialCount)
                continue;
            CMeshMaterial& m = member.mesh->materials[member.material];
            CSurfaceMaterial& s = *m.surface;
            for (int c = 0; c < 3; ++c)
                s.colour[c] = s.colour[4 + c] = mat.colours[0][c];
            s.colour[3] = s.colour[7] = mat.colours[4][0];
            if (mat.texture) {
                if (m.texture) {
                    --m.texture->useCount;
                    m.texture = nullptr;
                }
                // The texture itself is found or loaded with the model's
                // other references, in the editor only.
                if (!GameModeFlag)
                    m.textureName = mat.texture->fileName;
                m.page = nullptr;
                m.pageNumber = -1;
                m.pageEntry = -1;
            }
        }
    }
}

void ResolveAnimation(MayaImport& im)
{
    CNode* target = nullptr;
    const std::string* targetName = nullptr;
    for (auto& r : im.records) {
        // Keys the file never filled at the end of a curve are left out.
        if (r->kind != MayaRecord::ANIM_CURVE || r->times.empty())
            continue;
        if (!targetName || *targetName != r->name) {
            target = im.root.FindByName(r->name.c_str());
            targetName = &r->name;
        }
        auto* model = dynamic_cast<CModelNode*>(target);
        if (!model)
            continue;
        const bool eased = r->tangentType != 2 && r->tangentType != 4;
        const uint32_t n = uint32_t(r->times.size());
        float* times = r->times.data();
        float* values = r->values.data();
        if (r->channel >= 1 && r->channel <= 9 &&
            (model->modelKind == CModelNode::KIND_FRAME || model->modelKind == CModelNode::KIND_JOINT)) {
            auto* frame = static_cast<CFrameNode*>(model);
            if (!frame->animation) {
                frame->animation = new CFrameAnimation;
                frame->animation->easing = eased ? 1 : 0;
            }
            if (r->channel >= 4 && r->channel <= 6)
                for (uint32_t k = 0; k < n; ++k)
                    values[k] *= kDegrees;
            frame->animation->SetKeys(r->channel - 1, n, times, values);
        } else if (r->channel >= 11 && r->channel <= 13 && model->modelKind == CModelNode::KIND_MESH) {
            auto* mesh = static_cast<CMeshNode*>(model);
            MayaMeshInfo& info = im.meshes[mesh];
            if (r->pointIndex < 0 || size_t(r->pointIndex) >= info.pointVertices.size()) {
                LogPrintf("Point %d animated by '%s' is no point of mesh '%s'", r->pointIndex,
                          r->name.c_str(), mesh->GetName() ? mesh->GetName() : "");
                continue;
            }
            // The newest track is the one of this point, or a new one goes in front.
            CVertexTrack* track = mesh->vertexTracks;
            if (!track || info.trackPoint != r->pointIndex) {
                track = new CVertexTrack;
                track->ease = eased ? 1 : 0;
                const std::vector<int32_t>& list = info.pointVertices[size_t(r->pointIndex)];
                track->count = int32_t(list.size());
                track->vertexIndexes = new int32_t[list.size() ? list.size() : 1];
                std::copy(list.begin(), list.end(), track->vertexIndexes);
                for (int a = 0; a < 3; ++a)
                    track->base[a] = info.pointPositions[3 * size_t(r->pointIndex) + size_t(a)];
                mesh->AddTrack(track);
                info.trackPoint = r->pointIndex;
            }
            track->SetKeys(r->channel - 11, int32_t(n), times, values);
        }
    }
}

} // namespace

// ---------------------------------------------------------------- statements

bool MayaStatements::MayaReadLine(std::string& statement, int& line)
{
    statement.clear();
    while (pos_ < text_.size()) {
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view physical = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++lineNumber_;
        while (!physical.empty() && physical.front() == '\t')
            physical.remove_prefix(1);
        // A CR left by another system's line end never keeps a statement open.
        while (!physical.empty() && physical.back() == '\r')
            physical.remove_suffix(1);
        if (physical.empty())
            continue;
        if (statement.empty()) {
            line = lineNumber_;
            if (StartsWith(physical, "//")) {
                statement = physical;
                return true;
            }
        }
        statement += physical;
        if (statement.back() == ';')
            return true;
    }
    statement.clear();
    return false;
}

bool MayaReadToken(std::string_view s, size_t& pos, std::string& token)
{
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
    if (pos >= s.size() || s[pos] == ';')
        return false;
    if (s[pos] == '"') {
        // An unterminated quote runs to the end of the statement.
        size_t end = s.find('"', pos + 1);
        if (end == std::string_view::npos)
            end = s.size();
        token = s.substr(pos + 1, end - pos - 1);
        pos = end < s.size() ? end + 1 : end;
        return true;
    }
    const size_t start = pos;
    while (pos < s.size() && s[pos] != ' ' && s[pos] != '\t' && s[pos] != ';')
        ++pos;
    token = s.substr(start, pos - start);
    return true;
}

bool MayaMatchAttr(std::string& token, std::string_view name, long& first, long& last)
{
    if (!StartsWith(token, name))
        return false;
    size_t p = name.size();
    if (p < token.size() && token[p] != '[' && token[p] != '.')
        return false;
    first = 0;
    last = -1;
    if (name[0] == '-')
        return p == token.size();
    if (p < token.size() && token[p] == '[') {
        const size_t close = token.find(']', p);
        if (close == std::string::npos)
            return false;
        const std::string_view inside = std::string_view(token).substr(p + 1, close - p - 1);
        const size_t colon = inside.find(':');
        long a = 0, b = 0;
        if (!importtext::ParseLong(inside.substr(0, colon), a))
            return false;
        if (colon == std::string_view::npos)
            b = a;
        else if (!importtext::ParseLong(inside.substr(colon + 1), b))
            return false;
        first = a;
        last = b;
        p = close + 1;
    }
    if (p < token.size()) {
        if (token[p] != '.')
            return false;
        token = token.substr(p);
    }
    return true;
}

bool MayaValues::Value(std::string& t)
{
    while (Token(t)) {
        if (t != "-type")
            return true;
        if (!Token(t))
            return false;
    }
    return false;
}

bool MayaValues::Float(float& v)
{
    std::string t;
    if (!Value(t))
        return false;
    v = 0.0f;
    importtext::ParseFloat(t, v);
    return true;
}

bool MayaValues::Floats(float* v, int n)
{
    for (int i = 0; i < n; ++i)
        if (!Float(v[i]))
            return false;
    return true;
}

bool MayaValues::Number(long& v)
{
    std::string t;
    if (!Value(t))
        return false;
    v = -1;
    importtext::ParseLong(t, v);
    return true;
}

bool MayaValues::Long(long& v)
{
    std::string t;
    return Value(t) && importtext::ParseLong(t, v);
}

bool MayaValues::Bool(bool& v)
{
    std::string t;
    if (!Value(t))
        return false;
    v = MayaBool(t);
    return true;
}

bool MayaBool(std::string_view token)
{
    return StartsWith(token, "on") || StartsWith(token, "true") || StartsWith(token, "yes");
}

bool IsAttrStatement(std::string_view statement)
{
    return StartsWith(statement, "setAttr") || StartsWith(statement, "addAttr");
}

MayaNodeFlags MayaReadNodeFlags(std::string_view rest)
{
    MayaNodeFlags flags;
    size_t pos = 0;
    std::string token;
    while (MayaReadToken(rest, pos, token)) {
        if (token == "-name")
            flags.hasName = MayaReadToken(rest, pos, flags.name);
        else if (token == "-parent")
            flags.hasParent = MayaReadToken(rest, pos, flags.parent);
    }
    return flags;
}

CNode* MayaFindParent(MayaImport& im, const MayaNodeFlags& flags, const char* kind)
{
    CNode* parent = flags.hasParent ? im.root.FindByName(flags.parent.c_str()) : &im.root;
    if (!parent) {
        LogPrintf("Couldn't find parent '%s' for %s '%s'", flags.parent.c_str(), kind, flags.name.c_str());
        return nullptr;
    }
    // As in model files: a tree deeper than this is not attached.
    uint32_t depth = 0;
    for (CNode* n = parent; n && n != &im.root; n = n->parent)
        ++depth;
    if (depth >= kMaxTreeDepth) {
        LogPrintf("%s:%d: %s '%s' lies deeper than %u nodes: left out", im.source, im.line, kind,
                  flags.name.c_str(), kMaxTreeDepth);
        return nullptr;
    }
    return parent;
}

std::string MayaImport::MayaSkipAttrLines()
{
    std::string statement;
    while (Next(statement))
        if (!IsAttrStatement(statement))
            return statement;
    return std::string();
}

MayaRecord* MayaImport::MayaFindRecord(std::string_view name, int32_t kind)
{
    for (auto& r : records)
        if (r->name == name && (kind == 0 || r->kind == kind))
            return r.get();
    return nullptr;
}

bool MayaImport::Grow(size_t more, const char* what)
{
    if (more <= elementsLeft) {
        elementsLeft -= more;
        return true;
    }
    LogPrintf("%s:%d: %s dropped: the file asks for more than the importer holds", source, line, what);
    return false;
}

MayaRecord* MayaImport::AddRecord(int32_t kind, std::string name)
{
    auto r = std::make_unique<MayaRecord>();
    r->kind = kind;
    r->name = std::move(name);
    records.push_back(std::move(r));
    return records.back().get();
}

} // namespace maya

using namespace maya;

bool ImportMayaAsciiText(std::string_view text, CRootNode& root, const char* source)
{
    MayaImport im(text, root, source);
    std::string statement;
    if (!im.Next(statement) || !StartsWith(statement, "//Maya ASCII "))
        return false;
    im.AddRecord(MayaRecord::SHADING_GROUP, "initialShadingGroup");
    std::string pending;
    bool havePending = false;
    for (;;) {
        if (havePending) {
            statement = std::move(pending);
            havePending = false;
        } else if (!im.Next(statement)) {
            break;
        }
        if (statement.empty())
            break;
        if (StartsWith(statement, "currentUnit")) {
            if (!MayaCheckUnits(statement)) {
                LogPrintf("%s:%d: units other than centimeter, degree and film are not supported", im.source,
                          im.line);
                return false;
            }
        } else if (StartsWith(statement, "createNode ")) {
            std::string_view rest = std::string_view(statement).substr(11);
            const size_t typeEnd = rest.find_first_of(" \t;");
            const std::string_view type = rest.substr(0, typeEnd);
            rest = typeEnd == std::string_view::npos ? std::string_view() : rest.substr(typeEnd);
            static const char* const silent[] = {"groupId",   "ramp",         "objectSet",
                                                 "partition", "nurbsSurface", "spotLight",
                                                 "camera",    "materialInfo", "leather"};
            bool skipped = false;
            for (const char* s : silent)
                skipped = skipped || StartsWith(type, s);
            if (skipped)
                continue;
            if (StartsWith(type, "transform"))
                pending = MayaReadFrameOrJoint(im, rest, false);
            else if (StartsWith(type, "joint"))
                pending = MayaReadFrameOrJoint(im, rest, true);
            else if (StartsWith(type, "mesh"))
                pending = MayaReadMeshNode(im, rest);
            else if (StartsWith(type, "locator"))
                pending = MayaReadLocatorNode(im, rest);
            else if (StartsWith(type, "blinn"))
                pending = MayaReadMaterialNode(im, rest, 0);
            else if (StartsWith(type, "lambert"))
                pending = MayaReadMaterialNode(im, rest, 1);
            else if (StartsWith(type, "phong"))
                pending = MayaReadMaterialNode(im, rest, 2);
            else if (StartsWith(type, "shadingEngine"))
                pending = MayaReadRecordOnly(im, rest, MayaRecord::SHADING_GROUP);
            else if (StartsWith(type, "place2dTexture"))
                pending = MayaReadRecordOnly(im, rest, MayaRecord::PLACEMENT);
            else if (StartsWith(type, "file"))
                pending = MayaReadFileNode(im, rest);
            else if (StartsWith(type, "animCurveT"))
                pending = MayaReadAnimCurveNode(im, rest);
            else {
                LogPrintf("Unknown node-type '%.*s'", int(type.size()), type.data());
                continue;
            }
            havePending = true;
        } else if (StartsWith(statement, "connectAttr")) {
            MayaConnect(im, statement);
        }
    }
    ResolveMaterials(im);
    ResolveAnimation(im);
    if (!GameModeFlag)
        root.ResolveTextureReferences();
    // Maya's axes to the program's: x mirrored, then a quarter turn about x.
    CMatrix mirror, turn;
    mirror.diagonal(-1.0f, 1.0f, 1.0f);
    turn.rotationX(-1.5707964f);
    root.localMatrix.multiply(root.localMatrix, mirror);
    root.localMatrix.multiply(root.localMatrix, turn);
    root.Prepare();
    return true;
}

CRootNode* ImportMayaAscii(const char* path)
{
    // The header line, after empty lines, decides before the whole file is read.
    std::string head;
    if (!importtext::ReadFileHead(path, 4096, head))
        return nullptr;
    const size_t start = head.find_first_not_of("\r\n\t");
    if (start != std::string::npos && head.compare(start, 13, "//Maya ASCII ") != 0 &&
        head.size() - start >= 13)
        return nullptr;
    std::string text;
    if (!platform::ReadTextFile(path, text))
        return nullptr;
    {
        MayaStatements first(text);
        std::string statement;
        int line = 0;
        if (!first.MayaReadLine(statement, line) || !StartsWith(statement, "//Maya ASCII "))
            return nullptr;
    }
    // Only a scene gets a root (which moves into the file's folder).
    auto root = std::make_unique<CRootNode>(path);
    if (!ImportMayaAsciiText(text, *root, path))
        return nullptr;
    return root.release();
}

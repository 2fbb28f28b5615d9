#include "GAMES/Rulo2/world/CFrameNode.h"

#include <cmath>
#include <cstring>
#include <vector>

// ---------------------------------------------------------------- animation

CFrameAnimation::~CFrameAnimation()
{
    for (float*& k : keys) {
        delete[] k;
        k = nullptr;
    }
}

void CFrameAnimation::SetKeys(int channel, uint32_t count, const float* times, const float* values)
{
    delete[] keys[channel];
    keys[channel] = nullptr;
    keyCount[channel] = count;
    lastKey[channel] = 0;
    if (count == 0)
        return;
    keys[channel] = new float[2 * size_t(count)];
    std::memcpy(keys[channel], times, count * sizeof(float));
    std::memcpy(keys[channel] + count, values, count * sizeof(float));
}

float SampleChannel(const float* keys, uint32_t count, uint32_t& cursor, bool eased, float time,
                    float fallback)
{
    if (!keys || count == 0)
        return fallback;
    const float* T = keys;
    const float* V = keys + count;
    if (cursor >= count)
        cursor = 0;
    uint32_t i = time >= T[cursor] ? cursor : 0;
    while (i < count && T[i] < time)
        ++i;
    if (i == 0) {
        cursor = 0;
        return V[0];
    }
    if (i == count) {
        cursor = count - 1;
        return V[count - 1];
    }
    cursor = i - 1;
    const float span = T[i] - T[i - 1];
    // Two keys at one time: take the later one instead of dividing by zero.
    float f = span > 0.0f ? (time - T[i - 1]) / span : 1.0f;
    if (eased)
        f = (std::sin(f * 3.1415927f - 1.5707964f) + 1.0f) / 2.0f;
    return f * V[i] + (1.0f - f) * V[i - 1];
}

void CompressKeys(float*& keys, uint32_t& count)
{
    if (!keys || count < 2)
        return;
    const float* T = keys;
    const float* V = keys + count;
    std::vector<uint32_t> kept;
    kept.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const bool inner = i > 0 && i + 1 < count;
        if (inner && V[i] == V[i - 1] && V[i] == V[i + 1])
            continue;
        kept.push_back(i);
    }
    if (kept.size() == 2 && V[kept[0]] == V[kept[1]]) {
        if (V[kept[0]] == 0.0f) {
            delete[] keys;
            keys = nullptr;
            count = 0;
            return;
        }
        kept.pop_back();
    } else if (kept.size() == count) {
        return;
    }
    const uint32_t n = uint32_t(kept.size());
    float* fresh = new float[2 * size_t(n)];
    for (uint32_t j = 0; j < n; ++j) {
        fresh[j] = T[kept[j]];
        fresh[n + j] = V[kept[j]];
    }
    delete[] keys;
    keys = fresh;
    count = n;
}

// ---------------------------------------------------------------- matrices

CMatrix MatrixTranslation(const CVector& v)
{
    CMatrix m = CMatrix::Identity;
    m[12] = v.x;
    m[13] = v.y;
    m[14] = v.z;
    return m;
}

CMatrix MatrixRotationZ(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    CMatrix m = CMatrix::Identity;
    m[0] = c;
    m[1] = s;
    m[4] = -s;
    m[5] = c;
    return m;
}

CMatrix MatrixShear(const CVector& s)
{
    CMatrix m = CMatrix::Identity;
    m[4] = s.x;
    m[8] = s.y;
    m[9] = s.z;
    return m;
}

// ---------------------------------------------------------------- frame

CFrameNode::CFrameNode(const char* text) : CModelNode(text)
{
    modelKind = KIND_FRAME;
}

CFrameNode::~CFrameNode()
{
    FreeAnimation();
}

void CFrameNode::FreeAnimation()
{
    if (!animationBorrowed)
        delete animation;
    animation = nullptr;
    animationBorrowed = 0;
}

void CFrameNode::SampleChannels(float values[9], float time)
{
    const float rest[9] = {translation.x, translation.y, translation.z, rotation.x, rotation.y,
                           rotation.z,    scaling.x,     scaling.y,     scaling.z};
    for (int c = 0; c < 9; ++c)
        values[c] = SampleChannel(animation->keys[c], animation->keyCount[c], animation->lastKey[c],
                                  animation->easing != 0, time, rest[c]);
}

CFrameNode::SSampledFactors CFrameNode::SampleFactors(float time)
{
    float v[9];
    SampleChannels(v, time);
    SSampledFactors f;
    f.scale.diagonal(v[CHANNEL_SX], v[CHANNEL_SY], v[CHANNEL_SZ]);
    f.rotateX.rotationX(v[CHANNEL_RX]);
    f.rotateY.rotationY(v[CHANNEL_RY]);
    f.rotateZ = MatrixRotationZ(v[CHANNEL_RZ]);
    f.translate = MatrixTranslation(CVector(v[CHANNEL_TX], v[CHANNEL_TY], v[CHANNEL_TZ]));
    return f;
}

CMatrix& CFrameNode::evaluateAnimation(CMatrix& out, float time)
{
    if (!animation) {
        out = localMatrix;
        return out;
    }
    const SSampledFactors f = SampleFactors(time);
    const CMatrix factors[] = {
        MatrixTranslation(-scalePivot),
        f.scale,
        MatrixShear(shear),
        MatrixTranslation(scalePivot),
        MatrixTranslation(scalePivotTranslation),
        MatrixTranslation(-rotatePivot),
        f.rotateX,
        f.rotateY,
        f.rotateZ,
        MatrixTranslation(rotatePivot),
        MatrixTranslation(rotatePivotTranslation),
        f.translate,
    };
    out = factors[0];
    for (size_t i = 1; i < sizeof factors / sizeof factors[0]; ++i)
        out.multiply(out, factors[i]);
    return out;
}

void CFrameNode::ChildMatrix(CMatrix& out, const CMatrix& incoming, float time)
{
    CMatrix local;
    evaluateAnimation(local, time);
    CMatrix::multiply(out, local, incoming);
}

void CFrameNode::OnGetAnimationStart(float& t)
{
    if (animation)
        for (int c = 0; c < 9; ++c)
            if (animation->keyCount[c] && animation->keys[c][0] < t)
                t = animation->keys[c][0];
    CModelNode::OnGetAnimationStart(t);
}

void CFrameNode::OnGetAnimationEnd(float& t)
{
    if (animation)
        for (int c = 0; c < 9; ++c)
            if (animation->keyCount[c] && animation->keys[c][animation->keyCount[c] - 1] > t)
                t = animation->keys[c][animation->keyCount[c] - 1];
    CModelNode::OnGetAnimationEnd(t);
}

void CFrameNode::OnFreezeTransforms()
{
    localMatrix = CMatrix::Identity;
    CModelNode::OnFreezeTransforms();
}

void CFrameNode::OnBakeStaticAnimation()
{
    if (animation && !animationBorrowed) {
        bool moves = false;
        for (int c = 0; c < 9; ++c) {
            CompressKeys(animation->keys[c], animation->keyCount[c]);
            animation->lastKey[c] = 0;
            if (animation->keyCount[c] >= 2)
                moves = true;
        }
        if (!moves) {
            evaluateAnimation(localMatrix, kRestTime);
            FreeAnimation();
        }
    }
    CModelNode::OnBakeStaticAnimation();
}

void CFrameNode::OnRemoveAnimation()
{
    FreeAnimation();
    CModelNode::OnRemoveAnimation();
}

bool CFrameNode::OnHasAnimationIn(CModelNode* model)
{
    if (animation) {
        auto* other = model && name ? static_cast<CModelNode*>(model->FindByName(name)) : nullptr;
        if (!other || other->modelKind != modelKind || !static_cast<CFrameNode*>(other)->animation)
            return false;
    }
    return CModelNode::OnHasAnimationIn(model);
}

void CFrameNode::OnLendAnimationTo(CModelNode* otherTree)
{
    if (animation && otherTree && name) {
        // The namesake of the same kind in the other tree borrows this animation.
        auto* other = static_cast<CModelNode*>(otherTree->FindByName(name));
        if (other && other->modelKind == modelKind && other != this) {
            auto* frame = static_cast<CFrameNode*>(other);
            frame->FreeAnimation();
            frame->animation = animation;
            frame->animationBorrowed = 1;
        }
    }
    CModelNode::OnLendAnimationTo(otherTree);
}

bool CFrameNode::WriteAnimation(CChunkWriter& w)
{
    if (!animation || animationBorrowed)
        return w.WriteU32(0);
    if (!w.WriteId(ChunkId("ANIM")) || !w.WriteU32(animation->easing ? 1 : 0))
        return false;
    for (int c = 0; c < 9; ++c)
        if (!w.WriteU32(animation->keyCount[c]))
            return false;
    for (int c = 0; c < 9; ++c)
        if (animation->keyCount[c] && !w.WriteFloats(animation->keys[c], 2 * size_t(animation->keyCount[c])))
            return false;
    return true;
}

bool CFrameNode::ReadAnimation(CChunkReader& body, uint32_t version)
{
    FreeAnimation();
    if (body.PeekId() != ChunkId("ANIM"))
        return body.Skip(4);
    body.Skip(4);
    auto* anim = new CFrameAnimation;
    anim->easing = version >= 2 ? (body.ReadU32() != 0) : 1;
    for (int c = 0; c < 9; ++c)
        anim->keyCount[c] = body.ReadU32();
    for (int c = 0; c < 9 && body.Ok(); ++c) {
        const uint32_t k = anim->keyCount[c];
        if (k == 0)
            continue;
        // Never allocate more than the body can hold.
        if (k > body.Remaining() / 8) {
            body.Fail();
            break;
        }
        anim->keys[c] = new float[2 * size_t(k)];
        body.ReadFloats(anim->keys[c], 2 * size_t(k));
    }
    if (!body.Ok()) {
        delete anim;
        return false;
    }
    animation = anim;
    return true;
}

bool CFrameNode::WriteOwnChunk(CChunkWriter& w)
{
    return BeginNodeChunk(w, *this, 2, ChunkIdForKind(modelKind)) && w.WriteMatrix(localMatrix) &&
           w.WriteVector(translation) && w.WriteVector(scaling) && w.WriteVector(rotation) &&
           w.WriteVector(rotatePivotTranslation) && w.WriteVector(rotatePivot) &&
           w.WriteVector(scalePivotTranslation) && w.WriteVector(scalePivot) && w.WriteVector(shear) &&
           WriteAnimation(w) && w.EndChunk();
}

bool CFrameNode::ReadBody(CChunkReader& body, uint32_t version)
{
    localMatrix = body.ReadMatrix();
    if (version >= 1) {
        translation = body.ReadVector();
        scaling = body.ReadVector();
        rotation = body.ReadVector();
    } else {
        translation = CVector(0, 0, 0);
        scaling = CVector(1, 1, 1);
        rotation = CVector(0, 0, 0);
    }
    return body.Ok();
}

bool CFrameNode::ReadChunk(CChunkReader& body)
{
    uint32_t version;
    if (!ReadHead(body, version) || !ReadBody(body, version))
        return false;
    rotatePivotTranslation = body.ReadVector();
    rotatePivot = body.ReadVector();
    scalePivotTranslation = body.ReadVector();
    scalePivot = body.ReadVector();
    shear = body.ReadVector();
    return body.Ok() && ReadAnimation(body, version);
}

size_t CFrameNode::DescribeTransform(char* text, size_t size, size_t used) const
{
    return AppendText(text, size, used,
                      "\n\nrotate pivot: %f/%f/%f\nrotate pivot trans: %f/%f/%f\nrotation: %f/%f/%f\n"
                      "scale pivot: %f/%f/%f\nscale pivot trans: %f/%f/%f\nscaling: %f/%f/%f\n"
                      "trabslation: %f/%f/%f\n",
                      rotatePivot.x, rotatePivot.y, rotatePivot.z, rotatePivotTranslation.x,
                      rotatePivotTranslation.y, rotatePivotTranslation.z, rotation.x, rotation.y, rotation.z,
                      scalePivot.x, scalePivot.y, scalePivot.z, scalePivotTranslation.x,
                      scalePivotTranslation.y, scalePivotTranslation.z, scaling.x, scaling.y, scaling.z,
                      translation.x, translation.y, translation.z);
}

size_t CFrameNode::Describe(char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    size_t used = AppendText(text, size, 0, "FRAME '%s'", name ? name : "unnamed");
    if (animation)
        used = AppendText(text, size, used, " (animated)");
    return DescribeTransform(text, size, used);
}

uint32_t CFrameNode::GetSize()
{
    uint32_t a = 124;
    if (animation && !animationBorrowed) {
        uint32_t keys = 0;
        for (uint32_t k : animation->keyCount)
            keys += k;
        a = 8 * keys + 236;
    }
    return a + CModelNode::GetSize();
}

// ---------------------------------------------------------------- joint

CJointNode::CJointNode(const char* text) : CFrameNode(text)
{
    modelKind = KIND_JOINT;
}

CMatrix& CJointNode::evaluateAnimation(CMatrix& out, float time)
{
    if (!animation) {
        out = localMatrix;
        return out;
    }
    const SSampledFactors f = SampleFactors(time);
    const CMatrix factors[] = {
        f.rotateX, f.rotateY, f.rotateZ, jointOrient, f.translate,
    };
    out = f.scale;
    for (const CMatrix& factor : factors)
        out.multiply(out, factor);
    return out;
}

bool CJointNode::WriteOwnChunk(CChunkWriter& w)
{
    return BeginNodeChunk(w, *this, 2, ChunkId("JOIN")) && w.WriteMatrix(localMatrix) &&
           w.WriteVector(translation) && w.WriteVector(scaling) && w.WriteVector(rotation) &&
           w.WriteMatrix(jointOrient) && w.WriteVector(minRotationLimit) && w.WriteVector(maxRotationLimit) &&
           WriteAnimation(w) && w.EndChunk();
}

bool CJointNode::ReadChunk(CChunkReader& body)
{
    uint32_t version;
    if (!ReadHead(body, version) || !ReadBody(body, version))
        return false;
    jointOrient = body.ReadMatrix();
    minRotationLimit = body.ReadVector();
    maxRotationLimit = body.ReadVector();
    return body.Ok() && ReadAnimation(body, version);
}

size_t CJointNode::Describe(char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    size_t used = AppendText(text, size, 0, "JOINT '%s'", name ? name : "unnamed");
    if (animation)
        used = AppendText(text, size, used, " (animated)");
    return DescribeTransform(text, size, used);
}

uint32_t CJointNode::GetSize()
{
    return CFrameNode::GetSize() + 92;
}

#pragma once
// Frame nodes (transforms with keyframe animation) and joint nodes.
#include <cstdint>

#include "GAMES/Rulo2/Model.h"

// Nine channels: translation x, y, z; rotation x, y, z (radians); scaling x, y, z.
struct CFrameAnimation
{
    CFrameAnimation() = default;
    ~CFrameAnimation();
    CFrameAnimation(const CFrameAnimation&) = delete;
    CFrameAnimation& operator=(const CFrameAnimation&) = delete;

    // Replaces a channel's keys: `count` times (ascending) and `count` values.
    void SetKeys(int channel, uint32_t count, const float* times, const float* values);

    uint8_t easing = 1;
    uint32_t keyCount[9] = {};
    uint32_t lastKey[9] = {};
    // Per channel keyCount times followed by keyCount values; null without keys.
    float* keys[9] = {};
};

enum
{
    CHANNEL_TX = 0,
    CHANNEL_TY,
    CHANNEL_TZ,
    CHANNEL_RX,
    CHANNEL_RY,
    CHANNEL_RZ,
    CHANNEL_SX,
    CHANNEL_SY,
    CHANNEL_SZ,
};

// One channel's value at `time`, linear or sine-eased between keys; `cursor`
// caches the key before the last sampled time. No keys: `fallback`.
float SampleChannel(const float* keys, uint32_t count, uint32_t& cursor, bool eased, float time,
                    float fallback);

// Drops inner keys that equal both neighbours; a channel left with two equal
// keys keeps one, or none when the value is 0.
void CompressKeys(float*& keys, uint32_t& count);

class CFrameNode : public CModelNode
{
public:
    explicit CFrameNode(const char* name = nullptr);
    ~CFrameNode() override;

    // The local matrix at `time`; returns out.
    virtual CMatrix& evaluateAnimation(CMatrix& out, float time);
    virtual bool WriteAnimation(CChunkWriter& writer);
    virtual bool ReadAnimation(CChunkReader& body, uint32_t version);

    bool ReadChunk(CChunkReader& body) override;
    size_t Describe(char* text, size_t size) override;
    uint32_t GetSize() override;

    // The transform text shared by frame, joint and root descriptions.
    size_t DescribeTransform(char* text, size_t size, size_t used) const;
    void FreeAnimation();

    CMatrix localMatrix = CMatrix::Identity;
    CVector translation{0, 0, 0};
    CVector scaling{0, 0, 0};
    CVector rotation{0, 0, 0};
    CVector rotatePivotTranslation{0, 0, 0};
    CVector rotatePivot{0, 0, 0};
    CVector scalePivotTranslation{0, 0, 0};
    CVector scalePivot{0, 0, 0};
    CVector shear{0, 0, 0};
    CFrameAnimation* animation = nullptr;
    uint8_t animationBorrowed = 0;

protected:
    void ChildMatrix(CMatrix& out, const CMatrix& incoming, float time) override;
    void OnGetAnimationStart(float& t) override;
    void OnGetAnimationEnd(float& t) override;
    void OnFreezeTransforms() override;
    void OnBakeStaticAnimation() override;
    void OnRemoveAnimation() override;
    bool OnHasAnimationIn(CModelNode* model) override;
    void OnLendAnimationTo(CModelNode* otherTree) override;
    bool WriteOwnChunk(CChunkWriter& writer) override;

    // The nine channel values at `time` (rest values where a channel has no keys).
    void SampleChannels(float values[9], float time);
    // The factors that frames and joints both compose from the channels at `time`.
    struct SSampledFactors
    {
        CMatrix scale, rotateX, rotateY, rotateZ, translate;
    };
    SSampledFactors SampleFactors(float time);
    bool ReadBody(CChunkReader& body, uint32_t version);
};

class CJointNode : public CFrameNode
{
public:
    explicit CJointNode(const char* name = nullptr);

    CMatrix& evaluateAnimation(CMatrix& out, float time) override;
    bool ReadChunk(CChunkReader& body) override;
    size_t Describe(char* text, size_t size) override;
    uint32_t GetSize() override;

    CVector minRotationLimit{0, 0, 0};
    CVector maxRotationLimit{0, 0, 0};
    CMatrix jointOrient = CMatrix::Identity;

protected:
    bool WriteOwnChunk(CChunkWriter& writer) override;
};

// Matrix factors of the frame and joint compositions (row vectors).
CMatrix MatrixTranslation(const CVector& v);
CMatrix MatrixRotationZ(float angle);
CMatrix MatrixShear(const CVector& s);

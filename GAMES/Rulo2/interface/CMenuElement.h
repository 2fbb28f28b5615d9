#pragma once
// The base of everything an in-game screen shows, and the base of their named
// keyframe tracks. Elements and tracks are reference counted: whoever holds a
// pointer holds one reference, and the last Release destroys the object.
#include <cstdint>
#include <string>
#include <vector>

class CMenu;

// The reference count shared by elements and tracks; objects start with one
// reference, which belongs to their creator.
class CMenuObject
{
public:
    CMenuObject() = default;
    // A copy is a new object with its own single reference.
    CMenuObject(const CMenuObject&) : refs_(1) {}
    CMenuObject& operator=(const CMenuObject&) { return *this; }
    virtual ~CMenuObject() = default;
    int32_t AddRef() { return ++refs_; }
    int32_t Release()
    {
        const int32_t left = --refs_;
        if (left < 1)
            delete this;
        return left;
    }
    int32_t RefCount() const { return refs_; }

private:
    int32_t refs_ = 1;
};

class CAnimTrack : public CMenuObject
{
public:
    explicit CAnimTrack(CMenu* owner);

    // Writes the track's values at `local` into `target` (the element's animated block).
    virtual void Interpolate(int32_t local, int32_t from, int32_t to, void* target) = 0;

    // Evaluates at the owner's time; a looping track past its end restarts.
    void Evaluate(int32_t time, void* target);
    bool IsFinished() const;
    // The factor of the interval from key a to key b at `local`, by key a's kind.
    float Factor(int32_t local, int32_t a, int32_t b) const;
    int32_t KeyCount() const { return int32_t(times.size()); }

    CMenu* owner;
    std::string name;
    std::vector<int32_t> times;
    std::vector<int32_t> kinds;
    int32_t loop = 0;
    int32_t start = 0;
};

// A track whose keys hold values of one type, parallel to the key times and kinds.
template <typename Key>
class CKeyTrack : public CAnimTrack
{
public:
    explicit CKeyTrack(CMenu* owner) : CAnimTrack(owner) {}
    void AddKey(int32_t time, const Key& value, int32_t kind)
    {
        times.push_back(time);
        keys.push_back(value);
        kinds.push_back(kind);
    }
    bool HasKeys(int32_t from, int32_t to) const
    {
        return from >= 0 && to >= 0 && from < int32_t(keys.size()) && to < int32_t(keys.size());
    }

    std::vector<Key> keys;
};

class CMenuElement : public CMenuObject
{
public:
    enum
    {
        TYPE_BASE = 0,
        TYPE_FIGURE = 1,
        TYPE_QUAD = 2,
        TYPE_PANEL = 3,
        TYPE_FRAME = 4,
        TYPE_TEXT = 5,
        TYPE_SLIDER = 6,
        TYPE_CHECKBOX = 7,
        TYPE_EDIT = 8,
    };

    explicit CMenuElement(CMenu* owner);
    ~CMenuElement() override;
    CMenuElement(const CMenuElement&) = delete;
    CMenuElement& operator=(const CMenuElement&) = delete;

    virtual bool Unused() { return false; }
    virtual void DrawNormal(int32_t time);
    virtual void DrawHighlighted(int32_t time);
    virtual void DrawActive(int32_t time);
    virtual void AddTrack(CAnimTrack* track);
    virtual int32_t PlayTrack(const char* trackName);
    virtual void SetState(uint8_t on) { shown = on; }
    virtual uint8_t GetState() { return shown; }
    struct Point
    {
        float x, y;
    };
    virtual bool HitTest(const Point*) { return false; }
    virtual void Tick() {}

    CAnimTrack* CurrentTrack() const { return currentTrack >= 0 ? tracks[size_t(currentTrack)] : nullptr; }
    int32_t OwnerTime() const;

    CMenu* owner;
    int32_t type = TYPE_BASE;
    uint32_t group = 0;
    uint8_t shown = 1;
    uint8_t active = 0;
    uint8_t hoverStarted = 0;
    uint8_t hoverEnded = 0;
    uint8_t hovered = 0;
    uint8_t selectable = 0;
    uint8_t figureFlag = 1;
    int32_t currentTrack = -1;
    int32_t currentStart = 0;
    std::vector<CAnimTrack*> tracks;
};

#include "GAMES/Rulo2/interface/CMenuElement.h"

#include "GAMES/Rulo2/interface/CMenu.h"

#include <cmath>
#include <strings.h>

CAnimTrack::CAnimTrack(CMenu* menu) : owner(menu) {}

float CAnimTrack::Factor(int32_t local, int32_t a, int32_t b) const
{
    const double u = double(local - times[size_t(a)]) / double(times[size_t(b)] - times[size_t(a)]);
    const double pi = 3.14159265358979323846;
    switch (kinds[size_t(a)]) {
    case 1:
        return float(std::sin((u - 1) * pi / 2) + 1);
    case 2:
        return float(std::sin(u * pi / 2));
    case 3:
        return float((std::sin((u - 0.5) * pi) + 1) * 0.5);
    case 4:
        return 1.0f;
    default:
        return float(u);
    }
}

void CAnimTrack::Evaluate(int32_t time, void* target)
{
    const int32_t local = time - start;
    const int32_t count = KeyCount();
    if (count < 2) {
        Interpolate(local, 0, 0, target);
        return;
    }
    for (int32_t i = 0; i + 1 < count; ++i) {
        if (times[size_t(i)] <= local && local <= times[size_t(i) + 1]) {
            Interpolate(local, i, i + 1, target);
            return;
        }
    }
    Interpolate(local, count - 1, count - 1, target);
    if (loop == 1)
        start = time;
}

bool CAnimTrack::IsFinished() const
{
    if (times.empty() || !owner)
        return true;
    return owner->time - start > times.back();
}

CMenuElement::CMenuElement(CMenu* menu) : owner(menu) {}

CMenuElement::~CMenuElement()
{
    for (size_t i = tracks.size(); i-- > 0;)
        tracks[i]->Release();
}

int32_t CMenuElement::OwnerTime() const
{
    return owner ? owner->time : 0;
}

void CMenuElement::DrawNormal(int32_t)
{
    hoverStarted = 0;
    hoverEnded = hovered ? 1 : 0;
    hovered = 0;
}

void CMenuElement::DrawHighlighted(int32_t)
{
    hoverEnded = 0;
    hoverStarted = hovered ? 0 : 1;
    hovered = 1;
}

void CMenuElement::DrawActive(int32_t time)
{
    CMenuElement::DrawNormal(time);
}

void CMenuElement::AddTrack(CAnimTrack* track)
{
    if (!track)
        return;
    track->AddRef();
    tracks.push_back(track);
}

int32_t CMenuElement::PlayTrack(const char* trackName)
{
    int32_t found = -1;
    if (trackName) {
        for (size_t i = 0; i < tracks.size(); ++i) {
            const std::string& n = tracks[i]->name;
            if (!n.empty() && strcasecmp(n.c_str(), trackName) == 0) {
                found = int32_t(i);
                break;
            }
        }
    }
    if (found < 0) {
        currentTrack = -1;
        return -1;
    }
    if (found == currentTrack)
        return found;
    currentTrack = found;
    currentStart = OwnerTime();
    tracks[size_t(found)]->start = OwnerTime();
    return found;
}

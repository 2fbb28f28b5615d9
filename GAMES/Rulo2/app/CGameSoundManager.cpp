#include "GAMES/Rulo2/app/CGameSoundManager.h"

#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

CGameSoundManager* SoundManager = nullptr;
std::vector<CSoundSample*> SoundList;
std::vector<std::string> SoundNames;
std::vector<std::string> SoundFiles;
int32_t SoundRequestCounter = 1;

namespace {

constexpr float DefaultRange = 5.0f;
constexpr size_t LineMax = 1023;

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return std::string();
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

bool Is3DMode(const CSound* sound)
{
    return sound && (sound->mode & (SOUND_HARDWARE3D | SOUND_PANNED3D | SOUND_ATTENUATED3D)) != 0;
}

float Dot(const CVector& a, const CVector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

CVector Cross(const CVector& a, const CVector& b)
{
    return CVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

CVector Unit(const CVector& v)
{
    const float l = Vec3Length(v);
    return l > 0.0f ? v * (1.0f / l) : v;
}

} // namespace

float Vec3Length(const CVector& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

void Vec3SetLength(CVector& v, float length)
{
    const float l = Vec3Length(v);
    if (l == 0.0f)
        return;
    v = v * (length / l);
}

void ParseSoundDefinitions(const std::string& text, const SoundDefinitionSink& sink)
{
    char message[160];
    auto say = [&](int n) {
        if (sink.message && n > 0)
            sink.message(message);
    };
    int32_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.size() > LineMax) {
            say(std::snprintf(message, sizeof message,
                              "data\\sounds.txt line %d: %zu characters, more than %zu; line skipped", number,
                              line.size(), LineMax));
            continue;
        }
        size_t cut = line.find("//");
        if (cut == std::string::npos)
            cut = line.find('#');
        if (cut == std::string::npos)
            cut = line.find(';');
        if (cut != std::string::npos)
            line.resize(cut);
        std::replace(line.begin(), line.end(), '\r', ' ');
        line = Trim(line);
        if (line.empty())
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        SoundDefinition d;
        d.name = Upper(Trim(line.substr(0, eq)));
        if (sink.name)
            sink.name(d.name);

        // file, group and load mode each end at a comma; channels and the 3-D
        // mode may stand without one.
        std::string fields[5];
        size_t pos = eq + 1;
        static const char* const fieldNames[3] = {"file", "group", "load mode"};
        bool complete = true;
        for (int f = 0; f < 3; ++f) {
            const size_t comma = line.find(',', pos);
            if (comma == std::string::npos) {
                say(std::snprintf(message, sizeof message, "sounds.txt line %d, komma expexted", number));
                say(std::snprintf(message, sizeof message,
                                  "data\\sounds.txt:%d:%zu: ',' expected after the %s field", number,
                                  line.size() + 1, fieldNames[f]));
                complete = false;
                break;
            }
            fields[f] = Trim(line.substr(pos, comma - pos));
            pos = comma + 1;
            if (f == 0 && sink.file)
                sink.file(fields[0]);
        }
        if (!complete)
            continue;
        const size_t comma = line.find(',', pos);
        fields[3] = Trim(line.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
        if (comma != std::string::npos)
            fields[4] = Trim(line.substr(comma + 1));

        d.file = fields[0];
        const std::string group = Upper(fields[1]);
        if (group == "SFX")
            d.group = 1;
        else if (group == "SPC")
            d.group = 2;
        else if (group == "MUS")
            d.group = 3;
        else {
            say(std::snprintf(message, sizeof message, "sound.txt line %d: no valid group specifyer",
                              number));
            d.group = 0;
        }
        const std::string load = Upper(fields[2]);
        if (load == "DEMAND")
            d.options |= 0x80;
        else if (load == "STREAM")
            d.options |= 0x01;
        d.channels = fields[3].empty() ? 1 : std::atoi(fields[3].c_str());
        const std::string space = Upper(fields[4]);
        if (space == "3D")
            d.options |= 0x02;
        else if (space == "3DENV")
            d.options |= 0x08;
        if (sink.define)
            sink.define(d);
    }
}

std::string SoundFilePath(const std::string& file)
{
    return std::string(ProgramFolder) + "\\sounds\\" + file;
}

bool LoadSoundDefinitions()
{
    for (CSoundSample* s : SoundList)
        delete s;
    SoundList.clear();
    SoundNames.clear();
    SoundFiles.clear();
    std::string text;
    const std::string path = std::string(ProgramFolder) + "\\data\\sounds.txt";
    if (!platform::ReadTextFile(path, text))
        return false;
    SoundDefinitionSink sink;
    sink.name = [](const std::string& name) { SoundNames.push_back(name); };
    sink.file = [](const std::string& file) { SoundFiles.push_back(file); };
    sink.define = [](const SoundDefinition& d) {
        if (!SoundManager)
            return;
        auto* sample = new CSoundSample(SoundManager);
        sample->setup(d.name.c_str(), SoundFilePath(d.file).c_str(), d.group, d.options, d.channels);
        SoundList.push_back(sample);
    };
    sink.message = [](const std::string& line) { LogPrintf("%s", line.c_str()); };
    ParseSoundDefinitions(text, sink);
    return true;
}

bool CreateSoundManager()
{
    SoundManager = new CGameSoundManager();
    if (!SoundManager->init(MainWindow)) {
        delete SoundManager;
        SoundManager = nullptr;
        return false;
    }
    return true;
}

void DestroySoundManager()
{
    // The manager deletes its registered sounds, the list's among them.
    SoundList.clear();
    delete SoundManager;
    SoundManager = nullptr;
}

void PauseAllSounds()
{
    if (SoundManager)
        SoundManager->pauseAll();
}

void ResumeAllSounds()
{
    if (SoundManager)
        SoundManager->resumeAll();
}

CGameSoundManager::~CGameSoundManager()
{
    stopAll();
}

int32_t CGameSoundManager::play(const char* name, CWorldObject* emitter, uint8_t loop, uint32_t delay,
                                uint8_t ranged, float range, float pitch, float volume, uint8_t force)
{
    if (!soundOn && !loop && !force)
        return -1;
    auto* sound = static_cast<CSoundSample*>(findSound(name));
    if (!sound) {
        // Once per name: a sound missing from sounds.txt shows in the log without flooding it.
        static std::set<std::string> reported;
        if (reported.insert(name ? name : "").second)
            LogPrintf("Unknown sound %s", name ? name : "");
        return -1;
    }
    SoundRequest r;
    r.sound = sound;
    r.emitter = Is3DMode(sound) ? emitter : nullptr;
    r.loop = loop;
    r.repeatDelay = delay;
    r.ranged = ranged;
    r.range = range;
    r.pitch = pitch;
    r.volume = volume;
    r.handle = SoundRequestCounter++;
    requests.push_back(r);
    return r.handle;
}

void CGameSoundManager::place(SoundRequest& r, float limit)
{
    if (!r.emitter)
        return;
    // The listener looks from the camera eye at its target with y up; x is to its right.
    const CVector up(0, 1, 0);
    const CVector forward = Unit(listenerTarget - listenerEye);
    const CVector right = Unit(Cross(up, forward));
    const CVector top = Cross(forward, right);
    const bool atHero = Settings.heroIsListener || r.ranged;
    const CVector offset = r.emitter->position - (atHero ? heroPosition : listenerEye);
    CVector local(Dot(offset, right), Dot(offset, top), Dot(offset, forward));
    r.distance = Vec3Length(local);
    if (limit > 0.0f)
        local = local * (1.0f / limit);
    if (r.channel >= 0)
        r.sound->setPosition(local.x, local.y, local.z, r.channel, false);
}

void CGameSoundManager::update(const CVector& eye, const CVector& target, const CVector& hero)
{
    listenerEye = eye;
    listenerTarget = target;
    heroPosition = hero;
    for (size_t i = 0; i < requests.size();) {
        SoundRequest& r = requests[i];
        float limit;
        if (!r.emitter)
            limit = r.pending ? r.distance + 1.0f : 0.0f;
        else
            limit = r.ranged ? r.range : DefaultRange;
        place(r, limit);
        bool remove = false;
        const bool started = r.channel >= 0;
        if (limit <= r.distance) {
            if (started) {
                r.sound->setVolume(r.volume, r.channel);
                const bool playing = r.sound->isPlaying(r.channel);
                if (r.ranged) {
                    if (playing)
                        r.sound->stopChannel(r.channel);
                } else if (!playing) {
                    remove = true;
                }
            } else if (!r.ranged) {
                remove = true;
            }
        } else if (!r.pending) {
            if (started) {
                r.sound->setVolume(r.volume, r.channel);
                if (!r.sound->isPlaying(r.channel)) {
                    if (!r.loop && !r.ranged)
                        remove = true;
                    else if (!paused)
                        r.sound->resume(r.channel);
                }
            } else if (!r.loop && !r.ranged) {
                remove = true;
            }
        } else if (enabled) {
            r.channel = r.sound->play(r.loop, r.repeatDelay);
            if (r.channel >= 0) {
                r.sound->setVolume(r.volume, r.channel);
                r.sound->setPitch(r.pitch, r.channel);
                if (r.emitter && r.sound->name.compare(0, 4, "STEP") == 0) {
                    // Footsteps of different characters differ in pitch.
                    const float n = float(r.emitter->index % 17);
                    r.sound->setPitch(1.0f / (0.6666667f + 0.8333333f * n / 17.0f), r.channel);
                }
                place(r, limit);
            }
            r.pending = 0;
        }
        if (remove)
            requests.erase(requests.begin() + ptrdiff_t(i));
        else
            ++i;
    }
    commit();
}

bool CGameSoundManager::isPlaying(int32_t handle) const
{
    return std::any_of(requests.begin(), requests.end(),
                       [&](const SoundRequest& r) { return r.handle == handle; });
}

void CGameSoundManager::stop(int32_t handle)
{
    for (size_t i = 0; i < requests.size();) {
        SoundRequest& r = requests[i];
        if (r.handle == handle && r.loop) {
            if (r.channel >= 0)
                r.sound->stopChannel(r.channel);
            requests.erase(requests.begin() + ptrdiff_t(i));
        } else {
            ++i;
        }
    }
}

void CGameSoundManager::stopAll()
{
    for (SoundRequest& r : requests)
        if (r.loop && r.channel >= 0)
            r.sound->stopChannel(r.channel);
    requests.clear();
}

void CGameSoundManager::pauseAll()
{
    if (paused)
        return;
    for (SoundRequest& r : requests)
        if (r.loop && r.emitter && r.channel >= 0)
            r.sound->stopChannel(r.channel);
    paused = 1;
}

void CGameSoundManager::resumeAll()
{
    if (!paused)
        return;
    for (SoundRequest& r : requests)
        if (!r.pending && r.channel >= 0)
            r.sound->resume(r.channel);
    paused = 0;
}

void CGameSoundManager::setPitch(int32_t handle, float factor)
{
    for (SoundRequest& r : requests) {
        if (r.handle != handle)
            continue;
        r.pitch = factor;
        if (r.channel >= 0)
            r.sound->setPitch(factor, r.channel);
    }
}

void CGameSoundManager::setVolume(int32_t handle, float value)
{
    for (SoundRequest& r : requests)
        if (r.handle == handle)
            r.volume = value;
}

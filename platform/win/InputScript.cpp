#include "platform/win/InputScript.h"

#include "platform/files/Cp1252.h"
#include "platform/win/IniFile.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace platform {

namespace {

std::string Upper(std::string_view s)
{
    std::string u(s);
    for (char& c : u)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// Whole-word integer in [min, max]; decimal, or hex after "0x" when allowed.
bool ParseInt(std::string_view word, int64_t min, int64_t max, int64_t& out, bool hex = false)
{
    int base = 10;
    bool negative = false;
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    if (hex && word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty() || !std::isxdigit(static_cast<unsigned char>(word[0])))
        return false;
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v, base);
    if (ec != std::errc() || end != word.data() + word.size() || v > uint64_t(INT64_MAX))
        return false;
    out = negative ? -int64_t(v) : int64_t(v);
    return out >= min && out <= max;
}

struct KeyName
{
    const char* name;
    int vk;
};
constexpr KeyName kKeyNames[] = {
    {"BACK", VK_BACK},
    {"BACKSPACE", VK_BACK},
    {"TAB", VK_TAB},
    {"RETURN", VK_RETURN},
    {"ENTER", VK_RETURN},
    {"SHIFT", VK_SHIFT},
    {"CONTROL", VK_CONTROL},
    {"CTRL", VK_CONTROL},
    {"MENU", VK_MENU},
    {"ALT", VK_MENU},
    {"PAUSE", VK_PAUSE},
    {"CAPITAL", VK_CAPITAL},
    {"ESCAPE", VK_ESCAPE},
    {"ESC", VK_ESCAPE},
    {"SPACE", VK_SPACE},
    {"PRIOR", VK_PRIOR},
    {"PAGEUP", VK_PRIOR},
    {"NEXT", VK_NEXT},
    {"PAGEDOWN", VK_NEXT},
    {"END", VK_END},
    {"HOME", VK_HOME},
    {"LEFT", VK_LEFT},
    {"UP", VK_UP},
    {"RIGHT", VK_RIGHT},
    {"DOWN", VK_DOWN},
    {"SNAPSHOT", VK_SNAPSHOT},
    {"INSERT", VK_INSERT},
    {"DELETE", VK_DELETE},
    {"MULTIPLY", VK_MULTIPLY},
    {"ADD", VK_ADD},
    {"SUBTRACT", VK_SUBTRACT},
    {"DECIMAL", VK_DECIMAL},
    {"DIVIDE", VK_DIVIDE},
    {"NUMLOCK", VK_NUMLOCK},
    {"SCROLL", VK_SCROLL},
    {"OEM_1", VK_OEM_1},
    {"OEM_PLUS", VK_OEM_PLUS},
    {"OEM_COMMA", VK_OEM_COMMA},
    {"OEM_MINUS", VK_OEM_MINUS},
    {"OEM_PERIOD", VK_OEM_PERIOD},
    {"OEM_2", VK_OEM_2},
    {"OEM_3", VK_OEM_3},
    {"OEM_4", VK_OEM_4},
    {"OEM_5", VK_OEM_5},
    {"OEM_6", VK_OEM_6},
    {"OEM_7", VK_OEM_7},
};

int KeyNameCode(const std::string& name)
{
    if (name.size() == 1 && (std::isupper(static_cast<unsigned char>(name[0])) ||
                             std::isdigit(static_cast<unsigned char>(name[0]))))
        return name[0];
    int64_t n = 0;
    if (name.size() >= 2 && name[0] == 'F' && ParseInt(std::string_view(name).substr(1), 1, 12, n))
        return VK_F1 + int(n) - 1;
    if (name.size() == 7 && name.rfind("NUMPAD", 0) == 0 && std::isdigit(static_cast<unsigned char>(name[6])))
        return VK_NUMPAD0 + (name[6] - '0');
    for (const KeyName& k : kKeyNames)
        if (name == k.name)
            return k.vk;
    return -1;
}

// "X Y" in client pixels.
std::string ParsePoint(const std::vector<std::string>& w, size_t at, int& x, int& y)
{
    int64_t vx = 0, vy = 0;
    if (w.size() != at + 2)
        return "two numbers X Y expected";
    if (!ParseInt(w[at], -32768, 32767, vx))
        return "'" + w[at] + "' is no X position";
    if (!ParseInt(w[at + 1], -32768, 32767, vy))
        return "'" + w[at + 1] + "' is no Y position";
    x = int(vx);
    y = int(vy);
    return {};
}

std::string KeyVerb(const ScriptArgs& a, ScriptStep& step)
{
    if (a.words.size() != 2)
        return "key NAME|CODE down|up|press expected";
    const int vk = ScriptKeyCode(a.words[0]);
    if (vk < 0)
        return "unknown key '" + a.words[0] + "'";
    const std::string how = Upper(a.words[1]);
    if (how == "DOWN" || how == "UP") {
        const bool down = how == "DOWN";
        step.run = [vk, down] { QueueKeyInput(vk, down); };
    } else if (how == "PRESS") {
        step.run = [vk] {
            QueueKeyInput(vk, true);
            QueueKeyInput(vk, false);
        };
    } else {
        return "'" + a.words[1] + "': down, up or press expected";
    }
    return {};
}

std::string CharVerb(const ScriptArgs& a, ScriptStep& step)
{
    if (a.text.empty())
        return "char needs a text";
    // The script is UTF-8; the program's characters are Windows-1252 bytes.
    std::string text = Utf8ToCp1252(a.text, '\0');
    if (text.find('\0') != std::string::npos)
        return "'" + a.text + "' has a character that Windows-1252 does not have";
    step.run = [text] { QueueTextInput(text); };
    return {};
}

std::string MoveVerb(const ScriptArgs& a, ScriptStep& step)
{
    int x = 0, y = 0;
    if (std::string reason = ParsePoint(a.words, 0, x, y); !reason.empty())
        return reason;
    step.run = [x, y] { QueueMouseMove(nullptr, x, y); };
    return {};
}

// down|up|click|dblclick: `presses` of 0 is one button change, else whole clicks.
ScriptVerb ButtonVerb(int presses, bool down)
{
    return [presses, down](const ScriptArgs& a, ScriptStep& step) -> std::string {
        if (a.words.empty())
            return "left, right or middle expected";
        const std::string which = Upper(a.words[0]);
        MouseButton button;
        if (which == "LEFT")
            button = MouseButton::Left;
        else if (which == "RIGHT")
            button = MouseButton::Right;
        else if (which == "MIDDLE")
            button = MouseButton::Middle;
        else
            return "'" + a.words[0] + "': left, right or middle expected";
        // Without a position the button acts where the pointer is (after a move or `point`).
        const bool here = a.words.size() == 1;
        int x = 0, y = 0;
        if (!here)
            if (std::string reason = ParsePoint(a.words, 1, x, y); !reason.empty())
                return reason;
        step.run = [=] {
            auto change = [&](bool press, int clicks) {
                if (here)
                    QueueMouseButtonHere(nullptr, button, press, clicks);
                else
                    QueueMouseButton(nullptr, button, press, clicks, x, y);
            };
            if (presses == 0) {
                change(down, 1);
                return;
            }
            // The second press of a double click is the double click itself.
            for (int click = 1; click <= presses; ++click) {
                change(true, click);
                change(false, click);
            }
        };
        return {};
    };
}

std::string WheelVerb(const ScriptArgs& a, ScriptStep& step)
{
    int64_t n = 0;
    // A wheel message carries at most 32767 units.
    if (a.words.size() != 1 || !ParseInt(a.words[0], -273, 273, n) || n == 0)
        return "wheel STEPS expected: a whole number of notches from -273 to 273, not 0";
    const int notches = int(n);
    step.run = [notches] { QueueMouseWheel(nullptr, notches); };
    return {};
}

// A file let go over the window; relative to the folder the run started in.
std::string DropVerb(const ScriptArgs& a, ScriptStep& step)
{
    if (a.text.empty())
        return "drop FILE expected";
    std::error_code ec;
    const std::string path = std::filesystem::absolute(a.text, ec).string();
    if (ec)
        return "'" + a.text + "' is no usable file name";
    step.run = [path] { QueueFileDrop(nullptr, {path}); };
    return {};
}

std::map<std::string, ScriptVerb>& Verbs()
{
    static std::map<std::string, ScriptVerb> verbs = [] {
        std::map<std::string, ScriptVerb> v;
        v["KEY"] = KeyVerb;
        v["CHAR"] = CharVerb;
        v["MOVE"] = MoveVerb;
        v["DOWN"] = ButtonVerb(0, true);
        v["UP"] = ButtonVerb(0, false);
        v["CLICK"] = ButtonVerb(1, true);
        v["DBLCLICK"] = ButtonVerb(2, true);
        v["WHEEL"] = WheelVerb;
        v["DROP"] = DropVerb;
        return v;
    }();
    return verbs;
}

// Cuts the comment off: '#' at the start of a word.
std::string_view StripComment(std::string_view line)
{
    for (size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
            return line.substr(0, i);
    return line;
}

// Splits off the first word.
std::string_view NextWord(std::string_view& s)
{
    s = TrimLine(s);
    size_t end = 0;
    while (end < s.size() && s[end] != ' ' && s[end] != '\t')
        ++end;
    std::string_view word = s.substr(0, end);
    s = TrimLine(s.substr(end));
    return word;
}

} // namespace

void RegisterScriptVerb(std::string_view name, ScriptVerb verb)
{
    Verbs()[Upper(name)] = std::move(verb);
}

int ScriptKeyCode(std::string_view nameOrCode)
{
    int64_t code = 0;
    int vk = -1;
    if (!nameOrCode.empty() && std::isdigit(static_cast<unsigned char>(nameOrCode[0])) &&
        nameOrCode.size() > 1)
        vk = ParseInt(nameOrCode, 1, 254, code, true) ? int(code) : -1;
    else {
        std::string name = Upper(nameOrCode);
        if (name.rfind("VK_", 0) == 0)
            name.erase(0, 3);
        vk = KeyNameCode(name);
    }
    return vk > 0 && HasKeyForVirtualKey(vk) ? vk : -1;
}

bool InputScript::Load(const std::string& path, std::string& error)
{
    steps_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": the input script cannot be read";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str(), path, error);
}

bool InputScript::Parse(std::string_view text, std::string_view name, std::string& error)
{
    steps_.clear();
    std::vector<ScriptStep> steps;
    int32_t lineNumber = 0;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        ++lineNumber;
        line = TrimLine(StripComment(line));
        if (line.empty())
            continue;
        auto fail = [&](const std::string& reason) {
            error = std::string(name) + "(" + std::to_string(lineNumber) + "): " + reason;
            return false;
        };
        const std::string_view frameWord = NextWord(line);
        int64_t frame = 0;
        if (!ParseInt(frameWord, 0, INT32_MAX, frame) || frameWord[0] == '-' || frameWord[0] == '+')
            return fail("'" + std::string(frameWord) + "' is no frame number");
        const std::string_view verbWord = NextWord(line);
        if (verbWord.empty())
            return fail("a verb is missing after the frame number");
        auto verb = Verbs().find(Upper(verbWord));
        if (verb == Verbs().end())
            return fail("unknown verb '" + std::string(verbWord) + "'");
        ScriptArgs args;
        args.text = std::string(line);
        for (std::string_view rest = line; !rest.empty();)
            args.words.emplace_back(NextWord(rest));
        ScriptStep step;
        step.frame = int32_t(frame);
        step.line = lineNumber;
        if (std::string reason = verb->second(args, step); !reason.empty())
            return fail(reason);
        steps.push_back(std::move(step));
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const ScriptStep& a, const ScriptStep& b) { return a.frame < b.frame; });
    steps_ = std::move(steps);
    return true;
}

bool InputScript::Run(int32_t frame, bool afterFrame)
{
    auto it = std::lower_bound(steps_.begin(), steps_.end(), frame,
                               [](const ScriptStep& s, int32_t f) { return s.frame < f; });
    bool ran = false;
    for (; it != steps_.end() && it->frame == frame; ++it)
        if (it->afterFrame == afterFrame && it->run) {
            it->run();
            ran = true;
        }
    return ran;
}

bool InputScript::RunBeforeFrame(int32_t frame)
{
    return Run(frame, false);
}

void InputScript::RunAfterFrame(int32_t frame)
{
    Run(frame, true);
}

int32_t InputScript::LastFrame() const
{
    return steps_.empty() ? -1 : steps_.back().frame;
}

} // namespace platform

#pragma once
// Input scripts: a text file of events, one a line, "FRAME VERB ARGS", played into
// the message queue before the frame of that number runs (frames count from 0), so
// a run can be driven the way a person drives it and repeats exactly. A '#' at the
// start of a word begins a comment; blank lines are skipped.
//
// One parser owns the format. Its verbs come from a table that other parts of the
// program add to from their install functions; the input verbs are always there:
//   key NAME|CODE down|up|press      char TEXT            move X Y
//   down|up|click|dblclick left|right|middle X Y          wheel STEPS
//   drop FILE                        the file let go over the window (relative to the start folder)

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What one line does once its frame comes.
struct ScriptStep
{
    int32_t frame = 0;
    int32_t line = 0;
    bool afterFrame = false; // runs once the frame has been drawn instead of before it
    std::function<void()> run;
};

// The words after the verb, and the same text as written (trimmed), for verbs
// whose argument may hold spaces.
struct ScriptArgs
{
    std::vector<std::string> words;
    std::string text;
};

// Reads a verb's arguments into `step` (its action, and whether it runs after the
// frame). Returns the reason when they are wrong, an empty string when right.
using ScriptVerb = std::function<std::string(const ScriptArgs& args, ScriptStep& step)>;

// Adds a verb or replaces the one of that name; names are compared without case.
void RegisterScriptVerb(std::string_view name, ScriptVerb verb);

class InputScript
{
public:
    // False with "FILE(LINE): reason" in `error` ("FILE: reason" when the file
    // cannot be read); the script is then empty.
    bool Load(const std::string& path, std::string& error);
    bool Parse(std::string_view text, std::string_view name, std::string& error);

    size_t Size() const { return steps_.size(); }
    // Runs the steps of `frame` that come before it; true when any ran.
    bool RunBeforeFrame(int32_t frame);
    void RunAfterFrame(int32_t frame);
    // The last frame any step names; -1 for an empty script.
    int32_t LastFrame() const;

private:
    bool Run(int32_t frame, bool afterFrame);

    std::vector<ScriptStep> steps_; // by frame, in file order within a frame
};

// The virtual-key code a script names: a key name as the VK_ constants have it,
// with or without "VK_" and in any case ("A", "7", "F5", "RETURN", "ESCAPE",
// "SPACE", "LEFT", "NUMPAD4", ...; also "ENTER", "ESC", "CTRL", "ALT",
// "BACKSPACE", "PAGEUP", "PAGEDOWN"), or the code as a number of two or more
// digits or in 0x hex (a single digit is the digit key).
// Codes no key gives are refused: -1.
int ScriptKeyCode(std::string_view nameOrCode);

} // namespace platform

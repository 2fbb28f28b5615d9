#pragma once
// Saved games (".gam") and plans (".pln") as their files hold them, read and
// written without a world: every field as stored, the behaviour chunks inside
// ("OPTS", "COND", "TALI") kept whole so that writing a parsed file gives its
// bytes back. The game's own loaders (app/SaveGame.h) resolve the same fields
// against a world.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// A chunk kept as it stands: its id and whole body (version word included).
struct SRawChunk
{
    uint32_t id = 0;
    size_t offset = 0;
    std::vector<uint8_t> body;
};

struct SSaveInfoChunk
{
    uint32_t version = 0;
    std::string caption;
    // "PREV" or the word 0 (or whatever else a file put there).
    uint32_t marker = 0;
    std::vector<uint8_t> preview;
};

struct SInstanceRecord
{
    int32_t owner = 0;
    int32_t definition = 0;
    SRawChunk opts, cond;
    uint32_t wordA = 0;
    uint32_t slotWords[3] = {};
    int32_t linked[3] = {};
};

struct SGameHeadChunk
{
    uint32_t version = 0;
    int32_t clock = 0, cash = 0, level = 0;
    std::vector<uint32_t> burgled;
    std::vector<int32_t> knownPeople;
    std::vector<int32_t> possessions;
    int32_t nextOwner = 0;
    std::vector<SInstanceRecord> instances;
};

// One level of an object's run state: where its list started, its current and
// hold items (indices, -1 for none) and its action.
struct SRunLevel
{
    int32_t start = 0, item = -1, hold = -1;
    int32_t action = 0, target = 0, source = 0, itemOwner = 0, itemDefinition = 0;
};

struct SObjectStateChunk
{
    uint32_t version = 0;
    uint32_t objectId = 0, type = 0;
    uint32_t position[3] = {}; // floats, bit for bit
    uint32_t angle = 0;
    uint32_t visibility = 0;
    uint32_t active = 0;
    uint32_t runtimeWord = 0;
    // The levels below the current one, each with the dependency it went into.
    std::vector<std::pair<SRunLevel, int32_t>> stack;
    SRunLevel current;
    std::optional<SRawChunk> cond;
};

struct SCameraChunk
{
    uint32_t version = 0;
    uint32_t words[13] = {}; // eye, look-at, view vector, eye offset, zoom
};

struct SPlanMemberRecord
{
    int32_t person = 0;
    uint32_t flag = 0;
    uint32_t word = 0;
    int32_t toolOwner[3] = {};
    int32_t toolDefinition[3] = {};
    // Older files carry no list for a member without a plan.
    std::optional<SRawChunk> taskList;
};

struct SPlanHeadChunk
{
    uint32_t version = 0;
    int32_t burglary = 0;
    int32_t recordedEnd = 0;
    int32_t car = 0;
    std::vector<SPlanMemberRecord> members;
};

// A chunk of the file in its place; fields after the known ones stay in `rest`.
struct SSaveChunk
{
    uint32_t id = 0;
    size_t offset = 0;
    std::variant<SRawChunk, SSaveInfoChunk, SGameHeadChunk, SObjectStateChunk, SCameraChunk, SPlanHeadChunk>
        body;
    std::vector<uint8_t> rest;
};

// A game ("GAME") or plan ("BURG") file: magic, the second word, the chunks
// up to and including "EOF ", and whatever bytes follow it.
struct SSaveFile
{
    uint32_t magic = 0;
    uint32_t second = 0;
    std::vector<SSaveChunk> chunks;
    std::vector<uint8_t> tail;

    const SSaveInfoChunk* Info() const;
};

class CKindData;
class CKindState;
class CTaskList;

// The behaviour chunks inside a save, read by the game's own readers: kind data
// (its kind is stored in it), conditions of a kind, a task list. Null or false
// (with the reason in `error`) for a body they refuse.
std::unique_ptr<CKindData> DecodeKindData(const SRawChunk& opts, std::string& error);
std::unique_ptr<CKindState> DecodeConditions(const SRawChunk& cond, int32_t kind, std::string& error);
bool DecodeTaskList(const SRawChunk& tali, CTaskList& list, std::string& error);

// Parses a whole file of the given magic ("GAME" or "BURG"); on failure `error`
// names the chunk and the offset ("chunk 'HEAD' at offset 24: ...").
bool ParseSaveFile(const uint8_t* data, size_t size, uint32_t magic, SSaveFile& file, std::string& error);
// The bytes of a parsed file, through the chunk writer.
bool WriteSaveFile(const SSaveFile& file, std::vector<uint8_t>& bytes);

#pragma once
// Model entries: every model a world uses is loaded once and kept in the model
// list, a tree of CModelEntry nodes under the model list root.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

class CRootNode;
struct GroundMap;

struct SModelCamera
{
    float vectorA[3] = {};
    float vectorB[3] = {};
    uint32_t word7 = 0, word8 = 0, word9 = 0, word10 = 0;
};

struct SModelPoint
{
    uint32_t words[4] = {};
};

class CModelEntry : public CNode
{
public:
    CModelEntry();
    ~CModelEntry() override;

    CModelEntry* FirstEntry() const { return static_cast<CModelEntry*>(GetFirstChild()); }
    CModelEntry* NextEntry() const { return static_cast<CModelEntry*>(GetNext()); }

    // Writes the "MODL" chunks of this entry, its subtree and its following
    // siblings in pre-order; entries without a model are not written.
    bool WriteTree(CChunkWriter& writer);
    bool WriteChunk(CChunkWriter& writer);
    // Parses one "MODL" body. Appends copies that old bodies hold as siblings
    // (they are returned through `copies`, in order). False when the body is
    // damaged; `error` gets the reason.
    bool ReadChunk(CChunkReader& body, std::vector<CModelEntry*>* copies = nullptr,
                   std::string* error = nullptr);
    // As ReadChunk; the folder is resolved in the "Models" tree (its root when
    // missing) and its path kept in groupPath.
    bool ReadChunkForUpdate(CChunkReader& body, std::string* error = nullptr);

    CRootNode* model = nullptr;
    CNode* group = nullptr;
    bool influencesCamera = false, noCameraCheck = false, antiGround = false;
    SModelCamera* camera = nullptr;
    int32_t copyNumber = 0;
    uint32_t word1 = 0;
    // Model instances that use the entry, counted before the start-up gives
    // the most used models vertex buffers; cleared when they are released.
    uint32_t useCount = 0;
    std::string groupPath;
    int32_t animIndex = -1;
    int32_t linkIndex = -1;
    std::vector<SModelPoint> points;
    // Set by the unused-models scan when nothing refers to the entry.
    bool noUsers = false;
    // The cells a walker may use on this model; owned, null when it has none.
    GroundMap* groundMap = nullptr;
};

constexpr uint32_t kModlVersion = 9;
constexpr uint32_t kCameraMarker = 0x43414D52u; // 'R','M','A','C' in the file

bool WriteModelListSection(CModelEntry* root, CChunkWriter& writer);
// Reads "MODL" and "MAKR" chunks up to "END " (the section tag already read).
bool ReadModelListSection(CChunkReader& data, CModelEntry* root, std::string* error = nullptr);
// "MODL" chunks only, each read for an update, up to "END "; afterwards the
// root is number 1 and the entries are numbered.
bool ReadModelListSectionForUpdate(CChunkReader& data, CModelEntry* root, std::string* error = nullptr);
// Numbers the model list for saving: the root 1, then the entries that are
// written (those with a model) in pre-order, matching the reader's counter.
void NumberModelList(CModelEntry* root);

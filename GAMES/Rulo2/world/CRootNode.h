#pragma once
// The top of every model: a frame that also keeps what the model as a whole
// needs (geometry and locator counts, animation range, bounds, the shared
// vertex buffer of its meshes).
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/world/CFrameNode.h"

class IDirect3DVertexBuffer7;

class CRootNode : public CFrameNode
{
public:
    // With a path, the name becomes the file name without folder and extension.
    explicit CRootNode(const char* path = nullptr);
    ~CRootNode() override;

    void Prepare();
    void ComputeBounds();
    // The shared vertex buffer of the still model's meshes (none without a device).
    void CreateVertexBuffer();
    void ReleaseVertexBuffer();
    // Binds the textures and rebuilds the draw list after edits of textures or
    // materials; false on illegal indices.
    bool Refresh();
    // Writes the model file: to a temporary file beside `path`, renamed over it
    // once complete, so a failed save leaves the previous file as it was.
    bool Save(const char* path, std::string* error = nullptr);
    // The model file's bytes.
    bool SaveToMemory(CChunkWriter& writer);

    size_t Describe(char* text, size_t size) override;

    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
    void* auxiliaryBlock = nullptr; // malloc'd; freed with the root
    uint32_t reserved = 0;
    int32_t snapperCount = 0;
    int32_t locatorCount = 0;
    uint8_t animated = 0;
    float animationStart = 0.0f;
    float animationEnd = 0.0f;
    uint8_t hasShape = 0;
    CVector boundsCentre{0, 0, 0};
    float boundsRadius = 0.0f;
    float boundsHalfExtent = 0.0f;
    CVector boundsMin{0, 0, 0};
    CVector boundsMax{0, 0, 0};
    CVector originalCentre{0, 0, 0};
    uint8_t worldMatricesValid = 1;
    IDirect3DVertexBuffer7* vertexBuffer = nullptr;
    // The root's matrix before preparation re-centred the model. The model
    // file keeps this one, so that loading a saved model does not move it by
    // its centre once more on every round.
    CMatrix fileMatrix = CMatrix::Identity;
    uint8_t prepared = 0;

protected:
    void OnUpdateWorldMatrix(const CMatrix& parentWorld, float time) override;
    bool WriteOwnChunk(CChunkWriter& writer) override;
};

// "1.46 KB"-style text of a byte count, at most 32 characters.
void FormatByteSize(uint64_t bytes, char* text, size_t size);

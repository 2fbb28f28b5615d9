#pragma once
// The lightmap renderer: bakes the static lighting of a world into one light texture
// per mesh of the models placed in it (ambient plus the lights that reach a texel, with
// the shadows of every other triangle, tinted by transparent textures), packs the
// patches of a mesh into its texture and gives the mesh's vertices the second texture
// coordinates that address it.
//
// The passes run on a worker thread (ShadowMapRun.cpp) and touch only CPU data: the
// world's meshes are read, the layout's coordinates and the finished textures are kept
// here, and the main thread hands them to the world when the run has ended
// (HandOverToWorld), so a cancelled run leaves the world as it was.
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LIBS/System/CBox.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

class CMeshNode;
class CNode;
class CRootNode;
class CTextureSurface;
class CWorldObject;
class imgImage;
struct D3DLIGHT7;
struct MeshVertex;
class ShadowMapRendererDlg;

// The editor's ambient colour, 0..1 a channel (64, 64, 70 of 255 at start).
extern float g_ShadowAmbient[3];

// Light phases of the properties dialog.
enum ShadowLightPhase : int32_t
{
    SHADOW_PHASE_DAY1 = 0, // 00:00
    SHADOW_PHASE_DAY2 = 1, // 06:00
    SHADOW_PHASE_DAY3 = 2, // 12:00
    SHADOW_PHASE_CUSTOM = 3,
};

// One world triangle prepared for lighting.
struct ShadowTriangle
{
    int32_t width = 2, height = 2; // lightmap size in texels
    CVector p[3];
    CVector n[3];
    float lu[3] = {}, lv[3] = {}; // lightmap coordinates
    float tu[3] = {}, tv[3] = {}; // material texture coordinates
    CBox box = CBox::Empty;
    CVector planeNormal{0, 0, 1};
    float planeDistance = 0;
    CVector edgeNormal[3];
    float edgeDistance[3] = {};
    CMeshNode* mesh = nullptr;
    int32_t material = 0;
    int32_t patchGroup = -1;
    int32_t texture = -1;
    int32_t vertex[3] = {}; // indexes into the mesh's vertices
    CTextureSurface* materialTexture = nullptr;
    bool planeLayout = false; // the mesh's plane-layout flag
    uint8_t skip = 0;
};

struct ShadowLight
{
    const D3DLIGHT7* light = nullptr;
    CVector position{0, 0, 0};
    float range = 0;
};

struct ShadowGroup
{
    CBox box = CBox::Empty;
    int32_t first = 0, last = -1; // triangle indexes, inclusive
};

// The finished lightmap of one mesh and phase: X1R5G5B5 pixels as a shadow texture
// stores them.
struct ShadowResult
{
    uint32_t width = 0, height = 0;
    std::vector<uint16_t> pixels;
};

struct ShadowTexture
{
    std::unique_ptr<imgImage> image;   // stamp, red, green, blue a texel; null once finished
    std::vector<ShadowResult> results; // one per phase rendered
    CMeshNode* mesh = nullptr;
    uint32_t meshId = 0;
    uint32_t layoutWidth = 0, layoutHeight = 0;
};

struct ShadowPatch
{
    int32_t triangle = 0; // the patch's first triangle (list index)
    int32_t width = 0, height = 0;
    int32_t texture = 0; // the patch group
    int32_t x = 0, y = 0;
};

struct ShadowMeshLayout
{
    CMeshNode* mesh = nullptr;
    std::vector<ShadowPatch> patches;
    int32_t width = 0, height = 0;
    int32_t texture = -1;           // row of the texture list
    std::vector<float> coordinates; // second texture coordinates, u v per vertex
};

// Texture packing: the patches of one mesh in a square of power-of-two side, shelf by
// shelf (tallest first). Returns false when they cannot be placed within `maxSide`.
bool PackPatches(std::vector<ShadowPatch>& patches, int32_t* width, int32_t* height, int32_t maxSide = 4096);

// The two steps that finish a working image (4 bytes a texel: stamp, red, green, blue).
void FillUnlitTexels(imgImage& image, const float ambient[3]);
struct ShadowReduction
{
    int32_t reducedCount = 0;
    int32_t bytesSaved = 0;
};
void ReduceTexture(imgImage& image, int32_t totalTolerance, int32_t quadTolerance, ShadowReduction& stats);
// A finished working image as X1R5G5B5 pixels.
ShadowResult ToShadowResult(const imgImage& image);

// What the progress dialog shows; the worker writes it under the renderer's mutex and
// the dialog copies it each frame of its modal loop.
struct ShadowProgress
{
    std::string phaseLine = "Phase 1";
    std::string stepLine = "Initializing...";
    std::string lightLine, triangleLine, resultLine;
    std::string elapsed = "00h:00m:00s";
    std::string rays = "1000";
    std::string textures = "1000 (1002030 bytes)";
    std::string button = "Cancel";
    int32_t passRange = 1000, passPosition = 0;
    int32_t overallRange = 1000, overallPosition = 0;
};

// A renderer message for the main thread to show.
struct ShadowMessage
{
    std::string text;
    std::string caption;
};

class CShadowMapRenderer
{
public:
    CShadowMapRenderer();
    ~CShadowMapRenderer();
    CShadowMapRenderer(const CShadowMapRenderer&) = delete;
    CShadowMapRenderer& operator=(const CShadowMapRenderer&) = delete;

    // The whole run on the main thread: properties dialog, worker, progress dialog,
    // hand-over. Returns when the run has ended; does nothing while another runs.
    void Run(CWorldObject* root, void* parentWindow);
    // The worker's entry: the passes, the report and the beeps; reads the renderer from
    // the running-renderer pointer. Returns 1.
    static uint32_t ThreadProc();

    // The passes of one run on the calling thread (what the worker does).
    void RenderPasses();
    // Main thread, after the worker: the layout's coordinates go into the meshes and the
    // last phase's textures to the model instances below the root.
    void HandOverToWorld();
    // Settings and counters as Run sets them before the worker starts (without dialogs).
    void PrepareRun(CWorldObject* root);

    // The passes' steps, for the tests.
    void Walk(CWorldObject* node, int32_t depth);
    int32_t CollectModelTriangles(CRootNode* model, const CMatrix& transform);
    void CollectMeshTriangles(CMeshNode* mesh, const CMatrix& transform);
    void AssignLightmapCoordinates(CMeshNode* mesh, int32_t first, int32_t last);
    void RenderTriangles();
    void LightTriangle(int32_t index);
    float LightAtPoint(const CVector& point, const CVector& normal, const ShadowLight& light,
                       bool planeLayout, float filter[3]);
    void SaveTextures();

    // Messages the worker queued, oldest first; the caller shows them.
    std::vector<ShadowMessage> TakeMessages();
    ShadowProgress Progress();
    // Sets the cancel and closed flags (the Cancel button).
    void Cancel();

    // Settings (the properties dialog's values).
    int32_t textureSize = 64;
    bool transparentTextures = false;
    bool smoothTexture = true;
    bool multipleRays = false;
    bool includeSun = false;
    bool combineInsideGroups = true;
    int32_t lightPhase = SHADOW_PHASE_DAY1;
    int32_t totalTolerance = 48, quadTolerance = 12;
    // The shadow test without group and triangle boxes (every triangle): the reference the
    // benchmark measures the two-level test against.
    bool bruteForce = false;

    // State shared with the main thread.
    std::atomic<bool> cancel{false};
    std::atomic<bool> closed{false};
    std::atomic<bool> finished{false};
    std::atomic<int32_t> tracedRays{0};
    std::atomic<int32_t> textureCount{0};
    std::atomic<int32_t> textureBytes{0};

    // Worker state.
    int32_t pass = 0;
    CWorldObject* worldRoot = nullptr;
    int32_t textureCounter = 0;
    int32_t groupCounter = 0;
    int32_t groupTotal = 0;
    int32_t insideGroupsCombined = 0, insideGroupsSeparate = 0;
    int32_t phaseIndex = 0;
    uint32_t startTime = 0;
    int32_t reducedCount = 0, bytesSaved = 0;
    int32_t currentTriangle = 0;
    int32_t currentLight = 0;
    int32_t nodeCounter = 0, nodeTotal = 0;
    std::atomic<bool> progressShown{false}; // a progress dialog shows the snapshot

    std::vector<ShadowMeshLayout> layouts;
    std::vector<ShadowTriangle> triangles;
    std::vector<ShadowTexture> textures;
    std::vector<ShadowGroup> groups;
    std::vector<ShadowLight> lights;
    std::map<CMeshNode*, int32_t> triangleCounts;

    // The layout of a mesh; null when it has none.
    ShadowMeshLayout* LayoutOf(const CMeshNode* mesh);

private:
    bool Stopped() const { return cancel.load(std::memory_order_relaxed); }
    void Fail(const char* text);
    void ClearLists();
    bool TakesLight(const CWorldObject* node) const;
    void AddLight(const CWorldObject* node);
    void AddSun();
    void CollectObject(CWorldObject* object, bool forLight);
    void RenderInsideGroup(CWorldObject* group);
    void CollectInside(CWorldObject* node, bool insideFound);
    void LightTexel(ShadowTriangle& t, imgImage& image, int32_t x, int32_t y, const float* b);
    bool InShadow(const CVector& origin, const CVector& direction, float length, float filter[3],
                  float& transmission);
    void ShowProgressStart();
    void ShowTriangleProgress(int32_t index);
    std::string ElapsedText() const;

    std::map<CWorldObject*, CBox> objectBounds_;
    std::mutex mutex_;
    ShadowProgress progress_;
    std::deque<ShadowMessage> messages_;
};

// The renderer whose worker runs; null when none does.
extern std::atomic<CShadowMapRenderer*> g_RunningShadowMapRenderer;

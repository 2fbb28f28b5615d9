// A run of the lightmap renderer: the properties dialog, the worker thread with its
// progress snapshot, the modal progress dialog, and the hand-over of the results to the
// world on the main thread.
#include <algorithm>
#include <cstdio>
#include <set>

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapDialogs.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/sound/Sound.h"
#include "platform/time/Time.h"
#include "platform/win/MessageBox.h"

namespace {

const char* const kPhaseTimes[3] = {"00:00", "06:00", "12:00"};

} // namespace

// ---------------------------------------------------------------- progress snapshot

std::string CShadowMapRenderer::ElapsedText() const
{
    const uint32_t s = (platform::timeGetTime() - startTime) / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%dh:%dm:%ds", int(s / 3600), int(s / 60 % 60), int(s % 60));
    return text;
}

void CShadowMapRenderer::ShowProgressStart()
{
    if (!progressShown || closed)
        return;
    char phase[64], step[64], light[32], tex[48];
    if (lightPhase == SHADOW_PHASE_CUSTOM)
        std::snprintf(phase, sizeof phase, "Rendering Custom Phase (%s)",
                      kPhaseTimes[std::clamp(phaseIndex, 0, 2)]);
    else
        std::snprintf(phase, sizeof phase, "Rendering Lightphase %d(%s)", lightPhase + 1,
                      kPhaseTimes[std::clamp(lightPhase, 0, 2)]);
    int32_t overall;
    if (pass == 2) {
        std::snprintf(step, sizeof step, "Rendering inside group %d/%d...", groupCounter, groupTotal);
        overall = groupTotal > 0 ? (groupCounter - 1) * 500 / groupTotal : 0;
    } else {
        std::snprintf(step, sizeof step, "Rendering outside world...");
        const int32_t n = int32_t(lights.size());
        overall = n > 0 ? currentLight * 500 / n + 500 : 500;
    }
    std::snprintf(light, sizeof light, "light %d/%d", currentLight + 1, int(lights.size()));
    std::snprintf(tex, sizeof tex, "%d ( %d kb )", textureCount.load(), textureBytes.load() / 1024 + 1);
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.phaseLine = phase;
    progress_.stepLine = step;
    progress_.button = "Cancel";
    progress_.passRange = 1000;
    progress_.passPosition = 0;
    progress_.overallRange = 1000;
    progress_.overallPosition = std::clamp(overall, 0, 1000);
    if (pass == 3)
        progress_.lightLine = light;
    progress_.textures = tex;
}

void CShadowMapRenderer::ShowTriangleProgress(int32_t index)
{
    if (!progressShown || closed)
        return;
    const int32_t count = int32_t(triangles.size());
    char line[64];
    std::snprintf(line, sizeof line, "Rendering Triangle %d/%d", index, count);
    const std::string elapsed = ElapsedText();
    const std::string rays = std::to_string(tracedRays.load());
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.passPosition = count > 0 ? int32_t(int64_t(index) * 1000 / count) : 0;
    progress_.rays = rays;
    progress_.elapsed = elapsed;
    progress_.triangleLine = line;
}

// ---------------------------------------------------------------- run

void CShadowMapRenderer::PrepareRun(CWorldObject* root)
{
    worldRoot = root;
    if (CNode* top = g_WorldRoot ? static_cast<CNode*>(g_WorldRoot) : static_cast<CNode*>(root))
        top->NumberNodes();
    SInsideOutside record;
    ClassifyInsideOutside(root, &record);
    insideGroupsCombined = record.houseGroups;
    insideGroupsSeparate = record.insideGroups;
    finished = false;
    closed = false;
    cancel = false;
    tracedRays = 0;
    textureCount = 0;
    textureBytes = 0;
    startTime = platform::timeGetTime();
    nodeCounter = 0;
    nodeTotal = root ? root->CountNodes() : 0;
    groupTotal = combineInsideGroups ? insideGroupsCombined : insideGroupsSeparate;
    groupCounter = 0;
    textureCounter = 0;
    layouts.clear();
    triangleCounts.clear();
    // The meshes are read in model space: the models' matrices at rest, made here on the
    // main thread before any worker reads them.
    WalkWorldSubtree(root, [](CWorldObject* n) {
        CModelEntry* entry = n->ModelEntry();
        CRootNode* model = entry ? entry->model : nullptr;
        if (model && (!model->worldMatricesValid || model->animated))
            model->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    });
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_ = ShadowProgress{};
        messages_.clear();
    }
}

uint32_t CShadowMapRenderer::ThreadProc()
{
    CShadowMapRenderer* r = g_RunningShadowMapRenderer.load();
    if (!r)
        return 1;
    if (r->worldRoot)
        r->RenderPasses();
    if (r->progressShown && !r->closed) {
        const int32_t allocated = r->textureBytes.load();
        // Without allocated texture bytes nothing was saved: 0 percent.
        const int32_t percent = allocated > 0 ? int32_t(int64_t(r->bytesSaved) * 100 / allocated) : 0;
        char line[128];
        std::snprintf(line, sizeof line, "%d textures reduces ( %d%% or %d bytes saved", r->reducedCount,
                      percent, r->bytesSaved);
        std::lock_guard<std::mutex> lock(r->mutex_);
        r->progress_.overallPosition = 1000;
        r->progress_.button = "OK";
        r->progress_.stepLine = "ShadowMap calculation finished";
        r->progress_.resultLine = line;
    }
    for (uint32_t hz : {500u, 1000u, 2000u})
        platform::Beep(hz, 100);
    r->finished = true;
    g_RunningShadowMapRenderer = nullptr;
    return 1;
}

void CShadowMapRenderer::Run(CWorldObject* root, void* parentWindow)
{
    const auto owner = static_cast<platform::HWND>(parentWindow);
    if (g_RunningShadowMapRenderer.load())
        return;
    PrepareRun(root);

    ShadowMapRendererPropertiesDlg properties;
    properties.textureSize = 16;
    properties.red = int32_t(g_ShadowAmbient[0] * 255.0f);
    properties.green = int32_t(g_ShadowAmbient[1] * 255.0f);
    properties.blue = int32_t(g_ShadowAmbient[2] * 255.0f);
    properties.smooth = 1;
    properties.multipleRays = 0;
    properties.transparent = 1;
    properties.sun = 0;
    properties.combine = 1;
    properties.lightPhase = 0;
    properties.totalTolerance = 16;
    properties.quadTolerance = 4;
    if (properties.DoModal(owner) != platform::IDOK)
        return;

    textureSize = int32_t(std::clamp<uint32_t>(properties.textureSize, 1, 1024));
    g_ShadowAmbient[0] = float(properties.red) / 255.0f;
    g_ShadowAmbient[1] = float(properties.green) / 255.0f;
    g_ShadowAmbient[2] = float(properties.blue) / 255.0f;
    smoothTexture = properties.smooth > 0;
    multipleRays = properties.multipleRays > 0;
    transparentTextures = properties.transparent > 0;
    includeSun = properties.sun > 0;
    combineInsideGroups = properties.combine > 0;
    lightPhase = properties.lightPhase;
    totalTolerance = 3 * properties.totalTolerance;
    quadTolerance = 3 * properties.quadTolerance;
    groupTotal = combineInsideGroups ? insideGroupsCombined : insideGroupsSeparate;
    groupCounter = 0;
    layouts.clear();
    triangleCounts.clear();
    textureCounter = 0;
    cancel = false;

    g_RunningShadowMapRenderer = this;
    progressShown = true;
    ShadowMapRendererDlg progress(this);
    std::thread worker(&CShadowMapRenderer::ThreadProc);
    progress.DoModal(owner);
    progressShown = false;

    while (!finished)
        platform::Sleep(100);
    worker.join();
    g_RunningShadowMapRenderer = nullptr;
    // Messages the dialog had no frame left to show.
    progress.Poll();
    HandOverToWorld();
}

// ---------------------------------------------------------------- hand-over

namespace {

// One shadow texture for a model: its one mesh's lightmap as it is, or the lightmaps of its
// meshes stacked with a border of their edge texels, so that each reads as its own clamped
// texture did.
struct SModelLightmap
{
    SShadowTexture texture;
    bool any = false;
};

} // namespace

void CShadowMapRenderer::HandOverToWorld()
{
    if (!worldRoot || cancel)
        return;
    std::map<CRootNode*, std::unique_ptr<SModelLightmap>> made;
    std::set<CRootNode*> buffers;
    // Only the run's root and what lies below it were rendered: its siblings keep what they have.
    WalkWorldSubtree(worldRoot, [&](CWorldObject* object) {
        CModelEntry* entry = object->ModelEntry();
        CRootNode* model = entry ? entry->model : nullptr;
        if (!model || object->objectKind != CWorldObject::KIND_MODEL || (object->flags & 1))
            return;
        auto found = made.find(model);
        if (found == made.end()) {
            auto made1 = std::make_unique<SModelLightmap>();
            SModelLightmap& lm = *made1;
            struct SPart
            {
                CMeshNode* mesh;
                const ShadowMeshLayout* layout;
                const ShadowResult* result;
            };
            std::vector<SPart> parts;
            ForEachMesh(model, [&](CMeshNode* mesh) {
                const ShadowMeshLayout* layout = LayoutOf(mesh);
                if (!layout || layout->texture < 0 || textures[size_t(layout->texture)].results.empty())
                    return;
                parts.push_back({mesh, layout, &textures[size_t(layout->texture)].results.back()});
            });
            SShadowTexture& st = lm.texture;
            if (parts.size() == 1) {
                st.width = parts[0].result->width;
                st.height = parts[0].result->height;
                st.pixels = parts[0].result->pixels;
                CMeshNode* mesh = parts[0].mesh;
                for (int32_t v = 0; v < mesh->vertexCount; ++v) {
                    mesh->vertices[v].tu2 = parts[0].layout->coordinates[size_t(v) * 2];
                    mesh->vertices[v].tv2 = parts[0].layout->coordinates[size_t(v) * 2 + 1];
                }
            } else if (parts.size() > 1) {
                uint32_t width = 0, height = 0;
                for (const SPart& p : parts) {
                    width = std::max(width, p.result->width + 2);
                    height += p.result->height + 2;
                }
                st.width = width;
                st.height = height;
                st.pixels.assign(size_t(width) * height, 0x8000);
                uint32_t top = 0;
                for (const SPart& p : parts) {
                    const uint32_t w = p.result->width, h = p.result->height;
                    for (uint32_t y = 0; y < h + 2; ++y)
                        for (uint32_t x = 0; x < w + 2; ++x) {
                            const uint32_t sx = std::clamp<uint32_t>(x, 1, w) - 1;
                            const uint32_t sy = std::clamp<uint32_t>(y, 1, h) - 1;
                            st.pixels[size_t(top + y) * width + x] = p.result->pixels[size_t(sy) * w + sx];
                        }
                    for (int32_t v = 0; v < p.mesh->vertexCount; ++v) {
                        const float u = p.layout->coordinates[size_t(v) * 2];
                        const float t = p.layout->coordinates[size_t(v) * 2 + 1];
                        p.mesh->vertices[v].tu2 = (1.0f + u * float(w)) / float(width);
                        p.mesh->vertices[v].tv2 = (float(top) + 1.0f + t * float(h)) / float(height);
                    }
                    top += h + 2;
                }
            }
            lm.any = !parts.empty();
            found = made.emplace(model, std::move(made1)).first;
            if (found->second->any && model->vertexBuffer)
                buffers.insert(model);
        }
        if (!found->second->any)
            return;
        auto* shadow = new SShadowTexture;
        shadow->width = found->second->texture.width;
        shadow->height = found->second->texture.height;
        shadow->pixels = found->second->texture.pixels;
        if (!NoShadowsFlag)
            MakeShadowSurface(*shadow);
        delete object->shadowTexture;
        object->shadowTexture = shadow;
    });
    // The drawn vertices carry the new coordinates.
    for (CRootNode* model : buffers)
        model->CreateVertexBuffer();
    LogPrintf("ShadowMaps: %d textures for %d models", textureCount.load(), int(made.size()));
}

void CalcGroupShadowMaps(CWorldObject* group)
{
    if (!group || group->objectKind != CWorldObject::KIND_GROUP || !group->FirstObject())
        return;
    // The walks of the passes take the group with everything below it, not its siblings.
    CShadowMapRenderer renderer;
    renderer.Run(group, nullptr);
}

#include "GAMES/Rulo2/Model.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

SModelTreeView g_ModelTreeView;
uint32_t (*g_ModelTreeSelectedItem)() = nullptr;

static uint32_t SelectedModelTreeItem()
{
    if (g_ModelTreeSelectedItem)
        return g_ModelTreeSelectedItem();
    return g_ModelTreeView.control ? g_ModelTreeView.control->GetSelectedItem() : 0;
}

bool IsSelectedInModelTree(const CNode* node)
{
    return node && node->id != 0 && node->id == SelectedModelTreeItem();
}

std::string MakeTempFileName()
{
    const int start = crt::rand() % 256;
    for (int i = 0; i < 256; ++i) {
        const std::string name = "~temp" + std::to_string((start + i) % 256) + ".tmp";
        const std::string path = (platform::ProgramFolder() / name).string();
        // Exclusive: a file someone else made is never written or removed.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
    }
    return std::string();
}

CRootNode* CopyModelThroughTempFile(CRootNode* source, std::string* error)
{
    if (!source)
        return nullptr;
    const std::string path = MakeTempFileName();
    if (path.empty()) {
        if (error)
            *error = "no temporary file can be made in " + platform::ProgramFolder().string();
        return nullptr;
    }
    // Reading a model moves to its folder; the temporary file's is not the world's, whose
    // textures are read after the copy.
    const std::string folder = platform::GetCurrentDirectory();
    CRootNode* copy = source->Save(path.c_str(), error) ? LoadTmf(path.c_str(), error) : nullptr;
    platform::SetCurrentDirectory(folder);
    std::remove(path.c_str());
    return copy;
}

size_t AppendText(char* text, size_t size, size_t used, const char* format, ...)
{
    if (!text || size == 0 || used >= size - 1)
        return used;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text + used, size - used, format, args);
    va_end(args);
    if (n < 0)
        return used;
    const size_t total = used + size_t(n);
    return total < size ? total : size - 1;
}

CModelNode::CModelNode(const char* text) : CNode(text) {}

CModelNode::~CModelNode() = default;

uint32_t CModelNode::ChunkIdForKind(int32_t kind)
{
    static const uint32_t ids[] = {ChunkId("NODE"), ChunkId("ROOT"), ChunkId("FRAM"),
                                   ChunkId("JOIN"), ChunkId("MESH"), ChunkId("LOCA")};
    return kind >= 0 && kind < 6 ? ids[kind] : ids[0];
}

// ---------------------------------------------------------------- broadcasts

void CModelNode::GetAnimationStart(float& t)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnGetAnimationStart(t);
}

void CModelNode::GetAnimationEnd(float& t)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnGetAnimationEnd(t);
}

void CModelNode::FreezeTransforms()
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnFreezeTransforms();
}

void CModelNode::UpdateWorldMatrix(const CMatrix& parentWorld, float time)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnUpdateWorldMatrix(parentWorld, time);
}

void CModelNode::CountLocators(int32_t& all, int32_t& snappers)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnCountLocators(all, snappers);
}

void CModelNode::CollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                                      int32_t& back, int32_t& front)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnCollectLocatorPoints(world, time, points, capacity, back, front);
}

void CModelNode::BakeStaticAnimation()
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnBakeStaticAnimation();
}

void CModelNode::ExtendBounds(const CMatrix& world, CVector& min, CVector& max)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnExtendBounds(world, min, max);
}

void CModelNode::CountGeometry(uint32_t& triangles, uint32_t& vertices)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnCountGeometry(triangles, vertices);
}

bool CModelNode::HasShape()
{
    for (CModelNode* n = this; n; n = n->NextModel())
        if (n->OnHasShape())
            return true;
    return false;
}

void CModelNode::AccumulateSize(uint32_t& total)
{
    for (CModelNode* n = this; n; n = n->NextModel()) {
        total += n->GetSize();
        if (CModelNode* c = n->FirstModelChild())
            c->AccumulateSize(total);
    }
}

void CModelNode::RemoveAnimation()
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnRemoveAnimation();
}

bool CModelNode::HasAnimationIn(int32_t tableIndex)
{
    CModelNode* model = nullptr;
    if (tableIndex >= 0 && size_t(tableIndex) < AnimInfoTable.size() && AnimInfoTable[size_t(tableIndex)])
        model = AnimInfoTable[size_t(tableIndex)]->model;
    for (CModelNode* n = this; n; n = n->NextModel())
        if (!n->OnHasAnimationIn(model))
            return false;
    return true;
}

void CModelNode::LendAnimationTo(CModelNode* otherTree)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnLendAnimationTo(otherTree);
}

void CModelNode::FillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset)
{
    for (CModelNode* n = this; n; n = n->NextModel())
        n->OnFillVertexBuffer(buffer, capacity, offset);
}

bool CModelNode::GetPositionByPath(const char* path, CVector* out, const CMatrix& world, float time)
{
    if (!path)
        return false;
    for (CModelNode* n = this; n; n = n->NextModel())
        if (n->OnGetPositionByPath(path, out, world, time))
            return true;
    return false;
}

bool CModelNode::WriteChunk(CChunkWriter& writer)
{
    for (CModelNode* n = this; n; n = n->NextModel()) {
        if (!n->WriteOwnChunk(writer))
            return false;
        if (CModelNode* c = n->FirstModelChild())
            if (!c->WriteChunk(writer))
                return false;
    }
    return true;
}

// ---------------------------------------------------------------- default shares

void CModelNode::ChildMatrix(CMatrix& out, const CMatrix& incoming, float)
{
    out = incoming;
}

void CModelNode::OnGetAnimationStart(float& t)
{
    if (CModelNode* c = FirstModelChild())
        c->GetAnimationStart(t);
}

void CModelNode::OnGetAnimationEnd(float& t)
{
    if (CModelNode* c = FirstModelChild())
        c->GetAnimationEnd(t);
}

void CModelNode::OnFreezeTransforms()
{
    if (CModelNode* c = FirstModelChild())
        c->FreezeTransforms();
}

void CModelNode::OnUpdateWorldMatrix(const CMatrix& parentWorld, float time)
{
    if (CModelNode* c = FirstModelChild()) {
        CMatrix m;
        ChildMatrix(m, parentWorld, time);
        c->UpdateWorldMatrix(m, time);
    }
}

void CModelNode::OnCountLocators(int32_t& all, int32_t& snappers)
{
    if (CModelNode* c = FirstModelChild())
        c->CountLocators(all, snappers);
}

void CModelNode::OnCollectLocatorPoints(const CMatrix& world, float time, CVector* points, int32_t capacity,
                                        int32_t& back, int32_t& front)
{
    if (CModelNode* c = FirstModelChild()) {
        CMatrix m;
        ChildMatrix(m, world, time);
        c->CollectLocatorPoints(m, time, points, capacity, back, front);
    }
}

void CModelNode::OnBakeStaticAnimation()
{
    if (CModelNode* c = FirstModelChild())
        c->BakeStaticAnimation();
}

void CModelNode::OnExtendBounds(const CMatrix& world, CVector& min, CVector& max)
{
    if (CModelNode* c = FirstModelChild()) {
        CMatrix m;
        ChildMatrix(m, world, kRestTime);
        c->ExtendBounds(m, min, max);
    }
}

void CModelNode::OnCountGeometry(uint32_t& triangles, uint32_t& vertices)
{
    if (CModelNode* c = FirstModelChild())
        c->CountGeometry(triangles, vertices);
}

bool CModelNode::OnHasShape()
{
    CModelNode* c = FirstModelChild();
    return c && c->HasShape();
}

void CModelNode::OnRemoveAnimation()
{
    if (CModelNode* c = FirstModelChild())
        c->RemoveAnimation();
}

bool CModelNode::OnHasAnimationIn(CModelNode* model)
{
    for (CModelNode* c = FirstModelChild(); c; c = c->NextModel())
        if (!c->OnHasAnimationIn(model))
            return false;
    return true;
}

void CModelNode::OnLendAnimationTo(CModelNode* otherTree)
{
    if (CModelNode* c = FirstModelChild())
        c->LendAnimationTo(otherTree);
}

void CModelNode::OnFillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset)
{
    if (CModelNode* c = FirstModelChild())
        c->FillVertexBuffer(buffer, capacity, offset);
}

static bool IsPathSeparator(char c)
{
    return c == '|' || c == '\\';
}

bool CModelNode::OnGetPositionByPath(const char* path, CVector* out, const CMatrix& world, float time)
{
    CModelNode* child = FirstModelChild();
    CMatrix childWorld;
    if (child)
        ChildMatrix(childWorld, world, time);
    if (!IsPathSeparator(path[0])) {
        if (name && std::strcmp(name, path) == 0) {
            if (out)
                *out = world.translation();
            return true;
        }
    } else {
        const char* component = path + 1;
        const size_t length = std::strcspn(component, "|\\");
        // The component only has to match the start of the name.
        if (name && std::strncmp(name, component, length) == 0) {
            if (component[length] == '\0') {
                if (out)
                    *out = world.translation();
                return true;
            }
            if (child && child->GetPositionByPath(component + length, out, childWorld, time))
                return true;
        }
    }
    return child && child->GetPositionByPath(path, out, childWorld, time);
}

bool CModelNode::WriteOwnChunk(CChunkWriter& writer)
{
    return BeginNodeChunk(writer, *this, 0, ChunkIdForKind(modelKind)) && writer.EndChunk();
}

bool CModelNode::ReadHead(CChunkReader& body, uint32_t& version)
{
    version = body.ReadU32();
    index = body.ReadU32();
    const char* text = body.ReadPaddedString();
    if (!body.Ok())
        return false;
    SetName(text);
    return true;
}

bool CModelNode::ReadChunk(CChunkReader& body)
{
    uint32_t version;
    return ReadHead(body, version);
}

uint32_t CModelNode::GetSize()
{
    return uint32_t(name ? std::strlen(name) : 0) + 16;
}

// ---------------------------------------------------------------- tree helpers

static bool IsMeshOrLocator(const CModelNode* n)
{
    return n->modelKind == CModelNode::KIND_MESH || n->modelKind == CModelNode::KIND_LOCATOR;
}

bool CModelNode::PruneEmptyBranches()
{
    CModelNode* c = FirstModelChild();
    while (c) {
        CModelNode* after = c->NextModel();
        if (!c->PruneEmptyBranches())
            c->DeleteWithChildren();
        c = after;
    }
    return IsMeshOrLocator(this) || firstChild != nullptr;
}

void CModelNode::DeleteMarkedChildren()
{
    for (CModelNode* n = this; n; n = n->NextModel()) {
        while (n->firstChild && static_cast<CModelNode*>(n->firstChild)->deleteMark)
            n->firstChild->DeleteWithChildren();
        while (n->next && static_cast<CModelNode*>(n->next)->deleteMark)
            n->next->DeleteWithChildren();
        if (CModelNode* c = n->FirstModelChild())
            c->DeleteMarkedChildren();
    }
}

template <class Test>
static bool AnyMesh(CModelNode* first, Test test)
{
    for (CModelNode* n = first; n; n = n->NextModel()) {
        if (n->modelKind == CModelNode::KIND_MESH && test(static_cast<CMeshNode*>(n)))
            return true;
        if (n->FirstModelChild() && AnyMesh(n->FirstModelChild(), test))
            return true;
    }
    return false;
}

bool CModelNode::AnyMeshWithFlagA()
{
    return AnyMesh(this, [](CMeshNode* m) { return m->complex != 0; });
}

bool CModelNode::AnyMeshWithFlagB()
{
    return AnyMesh(this, [](CMeshNode* m) { return m->smooth != 0; });
}

bool CModelNode::AnyMeshInside()
{
    return AnyMesh(this, [](CMeshNode* m) { return m->inside != 0; });
}

void CModelNode::SetMeshFlagA(bool value)
{
    AnyMesh(this, [value](CMeshNode* m) {
        m->complex = value;
        return false;
    });
}

void CModelNode::SetMeshFlagB(bool value)
{
    AnyMesh(this, [value](CMeshNode* m) {
        m->smooth = value;
        return false;
    });
}

void CModelNode::DeleteMeshesByInside(bool deleteInside)
{
    for (CModelNode* n = this; n; n = n->NextModel()) {
        CModelNode* c = n->FirstModelChild();
        if (c && c->modelKind == KIND_MESH) {
            CMeshNode* mesh = static_cast<CMeshNode*>(c);
            if (mesh->inside) {
                mesh->inside = 0;
                if (deleteInside)
                    mesh->DeleteWithChildren();
            } else if (!deleteInside) {
                mesh->DeleteWithChildren();
            }
        }
        if (CModelNode* first = n->FirstModelChild())
            first->DeleteMeshesByInside(deleteInside);
    }
}

// ---------------------------------------------------------------- model tree

void CModelNode::InsertIntoTree(uint32_t parentItem, const char* inheritedName)
{
    CTreeControl* tree = g_ModelTreeView.control;
    if (!tree)
        return;
    auto decorate = [tree](CModelNode* n) {
        const int image = std::max(n->modelKind - 2, 0) + (n->spareFlag || n->deleteMark ? 4 : 0);
        tree->SetItemImage(n->id, image, image);
        tree->Expand(n->id);
    };
    if (parentItem == 0) {
        tree->DeleteAllItems();
        id = tree->InsertItem(name ? name : "", 0);
        decorate(this);
        tree->SelectItem(id);
        if (CModelNode* c = FirstModelChild())
            c->InsertIntoTree(id, nullptr);
        return;
    }
    for (CModelNode* n = this; n; n = n->NextModel()) {
        const char* text = n == this && inheritedName ? inheritedName : n->name;
        CModelNode* c = n->FirstModelChild();
        const bool merge =
            !g_ModelTreeView.fullView && c && (c->modelKind == KIND_MESH || c->modelKind == KIND_LOCATOR);
        const bool listed = !merge && (n->modelKind != KIND_LOCATOR || g_ModelTreeView.locatorDisplay);
        n->id = listed ? tree->InsertItem(text ? text : "", parentItem) : 0;
        if (n->id)
            decorate(n);
        if (c)
            c->InsertIntoTree(n->id ? n->id : parentItem, merge ? text : nullptr);
    }
}

CModelNode* CModelNode::FindSelectedInTree(CModelNode** node, CModelNode** child, uint32_t item)
{
    if (item == 0)
        item = SelectedModelTreeItem();
    if (item == 0)
        return nullptr;
    for (CModelNode* n = this; n; n = n->NextModel()) {
        CModelNode* c = n->FirstModelChild();
        if (n->id == item) {
            if (node)
                *node = n;
            if (child)
                *child = nullptr;
            return n;
        }
        if (!g_ModelTreeView.fullView && n->id == 0 && c && c->id == item &&
            (c->modelKind == KIND_MESH || c->modelKind == KIND_LOCATOR)) {
            if (node)
                *node = n;
            if (child)
                *child = c;
            return n;
        }
        if (c)
            if (CModelNode* found = c->FindSelectedInTree(node, child, item))
                return found;
    }
    return nullptr;
}

// ---------------------------------------------------------------- model file

STmfParseResult ParseTmfChunks(const void* data, size_t size, CRootNode* root, const char* source)
{
    STmfParseResult result;
    if (!source)
        source = "model";
    // Entry 0 stands for "no parent", entry 1 is the root. Damaged nodes keep
    // their place as null so that later parent numbers still line up.
    std::vector<CModelNode*> table{nullptr, root};
    CParentTable<CModelNode> parents(table);
    CChunkReader file(data, size);
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        // Model chunks are bounded by the data only: a big mesh may pass the
        // section limit of the world file's own chunks.
        const EChunkResult r = file.NextChunk(header, body, SIZE_MAX);
        if (r != CHUNK_OK) {
            NoteLoadLoss("%s: %s at offset %zu, no END chunk", source, ChunkResultText(r), file.FileOffset());
            break;
        }
        const uint32_t id = header.id;
        if (id == ChunkId("END ")) {
            result.ok = true;
            result.end = file.Offset();
            break;
        }
        if (id == ChunkId("ROOT")) {
            const uint32_t keep = root->index;
            if (!root->ReadChunk(body))
                NoteLoadLoss("%s: damaged ROOT chunk at offset %zu", source, header.offset);
            root->index = keep;
            continue;
        }
        std::unique_ptr<CModelNode> node;
        if (id == ChunkId("FRAM"))
            node = std::make_unique<CFrameNode>();
        else if (id == ChunkId("JOIN"))
            node = std::make_unique<CJointNode>();
        else if (id == ChunkId("MESH"))
            node = std::make_unique<CMeshNode>();
        else if (id == ChunkId("LOCA"))
            node = std::make_unique<CLocatorNode>();
        else
            continue; // unknown ids (and the file's magic) are skipped
        if (!node->ReadChunk(body)) {
            NoteLoadLoss("%s: damaged %s chunk at offset %zu skipped", source, ChunkIdText(id).c_str(),
                         header.offset);
            parents.Skip();
            ++result.skipped;
            continue;
        }
        const uint32_t parentNumber = node->index;
        const auto attached = parents.Attach(node.get(), parentNumber);
        if (attached != parents.ATTACHED) {
            NoteLoadLoss("%s: %s chunk at offset %zu %s (%u), skipped", source, ChunkIdText(id).c_str(),
                         header.offset, parents.Why(attached), parentNumber);
            ++result.skipped;
            continue;
        }
        node.release();
    }
    root->Prepare();
    return result;
}

CRootNode* LoadTmf(const char* path, std::string* error)
{
    auto fail = [&](const std::string& why) -> CRootNode* {
        LogPrintf("%s: %s", path ? path : "(no file)", why.c_str());
        if (error)
            *error = why;
        return nullptr;
    };
    if (!path)
        return fail("no file name");
    // Model paths come from game data in the Windows form.
    const std::filesystem::path native = platform::ResolvePath(path);
    FILE* f = std::fopen(native.c_str(), "rb");
    if (!f)
        return fail("cannot open");
    std::vector<uint8_t> data;
    uint8_t head[8];
    std::string why;
    if (std::fread(head, 1, 8, f) != 8 || std::memcmp(head, "TMF ", 4) != 0) {
        why = "not a model file";
    } else if (std::fseek(f, 0, SEEK_END) != 0) {
        why = "cannot read";
    } else {
        const long size = std::ftell(f);
        if (size < 8 || std::fseek(f, 8, SEEK_SET) != 0) {
            why = "cannot read";
        } else {
            data.resize(size_t(size) - 8);
            if (!data.empty() && std::fread(data.data(), 1, data.size(), f) != data.size())
                why = "short read";
        }
    }
    std::fclose(f);
    if (!why.empty())
        return fail(why);
    // Texture names in the model are relative to its folder.
    std::error_code ec;
    const auto folder = native.parent_path();
    if (!folder.empty())
        std::filesystem::current_path(folder, ec);
    auto* root = new CRootNode(nullptr);
    const STmfParseResult r = ParseTmfChunks(data.data(), data.size(), root, path);
    if (!r.ok) {
        delete root;
        return fail("damaged: the model ends without its END chunk");
    }
    return root;
}

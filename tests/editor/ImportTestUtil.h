#pragma once
// A fixture for the importers: a folder of its own for the files a test
// writes, the log collected into it, the current folder put back (a model
// root made from a path moves into the file's folder), and the comparison of
// a model with its copy saved and loaded as a model file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/editor/EditorInstall.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

namespace importtest {

namespace fs = std::filesystem;

class ImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cwd = fs::current_path();
        GameModeFlag = 0;
        InstallEditor();
        CreateWorldRoots();
        ClearWorld();
        dir = fs::temp_directory_path() / ("varek-import-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        logPath = (dir / "log.txt").string();
        LogPrintfSetTarget(&loggingOn, logPath.c_str());
    }
    void TearDown() override
    {
        LogPrintfSetTarget(nullptr, nullptr);
        fs::current_path(cwd);
        ClearWorld();
        GameModeFlag = 1;
        fs::remove_all(dir);
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return Path(name);
    }
    std::string Log() const
    {
        std::ifstream in(logPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void ClearLog() const { fs::remove(logPath); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }

    fs::path cwd;
    fs::path dir;
    std::string logPath;
    static inline const uint8_t loggingOn = 1;
};

inline std::vector<CModelNode*> Children(const CModelNode* node)
{
    std::vector<CModelNode*> out;
    for (CModelNode* c = node->FirstModelChild(); c; c = c->NextModel())
        out.push_back(c);
    return out;
}

inline std::vector<CMeshNode*> Meshes(CModelNode* first)
{
    std::vector<CMeshNode*> out;
    for (CModelNode* n = first; n; n = n->NextModel()) {
        if (n->modelKind == CModelNode::KIND_MESH)
            out.push_back(static_cast<CMeshNode*>(n));
        for (CMeshNode* m : Meshes(n->FirstModelChild()))
            out.push_back(m);
    }
    return out;
}

inline std::string Name(const CNode* n)
{
    return n->GetName() ? n->GetName() : "";
}

// Kinds, names and counts of two trees, node by node.
inline void ExpectSameTree(const CModelNode* a, const CModelNode* b, const std::string& where = "")
{
    ASSERT_EQ(a->modelKind, b->modelKind) << where;
    EXPECT_EQ(Name(a), Name(b)) << where;
    const std::string here = where + "/" + Name(a);
    if (a->modelKind == CModelNode::KIND_MESH) {
        auto* ma = static_cast<const CMeshNode*>(a);
        auto* mb = static_cast<const CMeshNode*>(b);
        EXPECT_EQ(ma->vertexCount, mb->vertexCount) << here;
        EXPECT_EQ(ma->triangleCount, mb->triangleCount) << here;
        EXPECT_EQ(ma->materialCount, mb->materialCount) << here;
    }
    const auto ca = Children(a), cb = Children(b);
    ASSERT_EQ(ca.size(), cb.size()) << here;
    for (size_t i = 0; i < ca.size(); ++i)
        ExpectSameTree(ca[i], cb[i], here);
}

// Saves the model as a model file and loads it again: the same tree and counts.
inline void ExpectSavesAndLoads(CRootNode* model, const std::string& file)
{
    ASSERT_TRUE(model->Save(file.c_str()));
    std::unique_ptr<CRootNode> loaded(LoadTmf(file.c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(model->vertexCount, loaded->vertexCount);
    EXPECT_EQ(model->triangleCount, loaded->triangleCount);
    ExpectSameTree(model, loaded.get());
}

// Files that Debian packages put in place (scripts/deps.sh installs them).
inline std::string PackageFile(const char* path)
{
    EXPECT_TRUE(fs::exists(path)) << path << " is missing: run scripts/deps.sh";
    return path;
}

} // namespace importtest

// .x models, text and binary, through the model import dispatcher.
#include "tests/editor/ImportTestUtil.h"

#include <cstdlib>
#include <cstring>
#include <zlib.h>

#include "GAMES/Rulo2/editor/import/XImport.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "platform/resources/Resources.h"

using namespace importtest;

namespace {

// Templates, a comment, objects the reader does not use (also nested ones),
// a material defined at the top and referenced from a material list, a frame
// tree with a matrix, and a mesh outside every frame.
const char* const kModel = R"(// made by hand
template Header {
 <3D82AB43-62DA-11cf-AB39-0020AF71E433>
 WORD major;
 WORD minor;
 DWORD flags;
}
Header { 1; 0; 1; }
Material Red {
 1.0;0.0;0.0;1.0;;
 10.0;
 0.2;0.3;0.4;;
 0.05;0.06;0.07;;
 TextureFilename { "red.png"; }
}
Frame Box {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 5.0,6.0,7.0,1.0;;
 }
 Mesh BoxMesh {
  4;
  0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;
  3;
  3;0,1,2;, 3;0,2,3;, 4;0,1,2,3;;
  MeshNormals { 4; 0.0;0.0;-1.0;, 0.0;0.0;-1.0;, 0.0;0.0;-1.0;, 0.0;0.0;-1.0;; 1; 4;0,1,2,3;; }
  MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }
  MeshMaterialList {
   3; 3; 0, 1, 2;;
   { Red }
   Material { 0.0;1.0;0.0;0.5;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  }
  VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }
 }
 Frame Inner { Frame Deeper { { Loose } } }
}
Mesh Loose {
 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 0.0;0.0;1.0;;
 1; 3;0,1,2;;
 MeshNormals { 2; 1.0;0.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,1;; }
}
AnimationSet { Animation { { Box } AnimationKey { 0; 1; 0; 3; 1.0,2.0,3.0;;; } } }
)";

// The same objects as binary tokens: names, strings, identifiers, braces,
// and runs of numbers as integer or float lists.
std::string ToBinary(const std::string& text, bool doubles)
{
    std::string out = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
    auto word = [&](uint16_t v) { out.append({char(v & 0xff), char(v >> 8)}); };
    auto dword = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(char(v >> (8 * i)));
    };
    std::vector<double> run;
    bool runIsFloat = false;
    auto flush = [&] {
        if (run.empty())
            return;
        word(runIsFloat ? 7 : 6);
        dword(uint32_t(run.size()));
        for (double v : run) {
            if (!runIsFloat) {
                dword(uint32_t(v));
            } else if (doubles) {
                uint64_t bits;
                std::memcpy(&bits, &v, 8);
                dword(uint32_t(bits));
                dword(uint32_t(bits >> 32));
            } else {
                const float f = float(v);
                uint32_t bits;
                std::memcpy(&bits, &f, 4);
                dword(bits);
            }
        }
        run.clear();
    };
    size_t i = text.find('\n') + 1; // the comment line is text only
    while (i < text.size()) {
        const char c = text[i];
        if (std::strchr(" \t\r\n,;", c)) {
            ++i;
        } else if (c == '{' || c == '}') {
            flush();
            word(c == '{' ? 10 : 11);
            ++i;
        } else if (c == '<') {
            flush();
            word(5);
            out.append(16, '\x11');
            i = text.find('>', i) + 1;
        } else if (c == '"') {
            flush();
            const size_t end = text.find('"', i + 1);
            word(2);
            dword(uint32_t(end - i - 1));
            out += text.substr(i + 1, end - i - 1);
            word(20);
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !std::strchr(" \t\r\n,;{}<>\"", text[end]))
                ++end;
            const std::string w = text.substr(i, end - i);
            i = end;
            if (std::isdigit(uint8_t(w[0])) || w[0] == '-') {
                const bool isFloat = w.find('.') != std::string::npos;
                if (!run.empty() && isFloat != runIsFloat)
                    flush();
                runIsFloat = isFloat;
                run.push_back(std::stod(w));
            } else {
                flush();
                if (w == "template") {
                    word(31);
                } else {
                    word(1);
                    dword(uint32_t(w.size()));
                    out += w;
                }
            }
        }
    }
    flush();
    return out;
}

class XImportTest : public ImportTest
{
protected:
    std::unique_ptr<CRootNode> Import(const std::string& name, const std::string& bytes)
    {
        return std::unique_ptr<CRootNode>(ImportModelFile(Write(name, bytes).c_str()));
    }
};

void ExpectColour(const CSurfaceMaterial* s, float r, float g, float b, float a)
{
    ASSERT_TRUE(s);
    const float want[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(s->colour[i], want[i]) << "diffuse " << i;
        EXPECT_FLOAT_EQ(s->colour[4 + i], want[i]) << "ambient " << i;
    }
}

TEST_F(XImportTest, TextAndBinaryFilesGiveTheSameModel)
{
    const std::pair<const char*, std::string> files[] = {
        {"text.x", std::string("xof 0303txt 0032\n") + kModel},
        {"binary32.x", ToBinary(kModel, false)},
        {"binary64.x", ToBinary(kModel, true)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        ClearLog();
        auto root = Import(name, bytes);
        ASSERT_TRUE(root);
        const auto top = Children(root.get());
        ASSERT_EQ(top.size(), 2u);
        ASSERT_EQ(top[0]->modelKind, CModelNode::KIND_FRAME);
        EXPECT_EQ(Name(top[0]), "Box");
        auto* box = static_cast<CFrameNode*>(top[0]);
        EXPECT_FLOAT_EQ(box->localMatrix[12], 5.0f);
        EXPECT_FLOAT_EQ(box->localMatrix[13], 6.0f);
        EXPECT_FLOAT_EQ(box->localMatrix[14], 7.0f);
        EXPECT_FLOAT_EQ(box->localMatrix[15], 1.0f);
        // A mesh without a frame lands under the root.
        ASSERT_EQ(top[1]->modelKind, CModelNode::KIND_MESH);
        EXPECT_EQ(Name(top[1]), "Loose");

        const auto inBox = Children(box);
        ASSERT_EQ(inBox.size(), 2u);
        EXPECT_EQ(Name(inBox[1]), "Inner");
        // A reference to a mesh reads that mesh in its place.
        const auto inner = Children(inBox[1]);
        ASSERT_EQ(inner.size(), 1u);
        ASSERT_EQ(Children(inner[0]).size(), 1u);
        EXPECT_EQ(Name(Children(inner[0])[0]), "Loose");
        ASSERT_EQ(inBox[0]->modelKind, CModelNode::KIND_MESH);
        auto* mesh = static_cast<CMeshNode*>(inBox[0]);
        EXPECT_EQ(Name(mesh), "BoxMesh");
        EXPECT_EQ(mesh->triangleCount, 4);
        ASSERT_EQ(mesh->materialCount, 3);
        // Each material has its own copy of the vertices it uses: 3 + 3 + 4.
        EXPECT_EQ(mesh->vertexCount, 10);
        ExpectColour(mesh->materials[0].surface, 1, 0, 0, 1);
        EXPECT_FLOAT_EQ(mesh->materials[0].surface->colour[16], 10.0f);
        EXPECT_FLOAT_EQ(mesh->materials[0].surface->colour[9], 0.3f);
        EXPECT_FLOAT_EQ(mesh->materials[0].surface->colour[14], 0.07f);
        ExpectColour(mesh->materials[1].surface, 0, 1, 0, 0.5f);
        // Three materials, two Material children: the third stays grey.
        ExpectColour(mesh->materials[2].surface, 0.5f, 0.5f, 0.5f, 1);
        for (int i = 0; i < mesh->vertexCount; ++i) {
            const MeshVertex& v = mesh->vertices[i];
            EXPECT_FLOAT_EQ(v.nz, -1.0f) << "the file's normal " << i;
            EXPECT_FLOAT_EQ(v.u, v.x) << i;
            EXPECT_FLOAT_EQ(v.v, v.y) << i;
        }

        // Two normals for three vertices: computed ones.
        auto* loose = static_cast<CMeshNode*>(top[1]);
        ASSERT_EQ(loose->vertexCount, 3);
        EXPECT_FLOAT_EQ(loose->vertices[0].nx * loose->vertices[0].nx, 1.0f);
        EXPECT_TRUE(Logged("normals of mesh 'Loose' do not match its 3 vertices"));
        ExpectSavesAndLoads(root.get(), Path(std::string(name) + ".tmf"));
    }
}

// Damaged data: the mesh or the part that cannot be read goes, with a line
// that says where; its siblings stay.
TEST_F(XImportTest, DamagedDataLeavesOutWhatCannotBeRead)
{
    struct Case
    {
        const char* mesh;
        int meshesLeft;
        const char* logged;
    } cases[] = {
        {"Mesh Big { 10; 0.0;0.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }", 1,
         "mesh 'Big' has counts its data do not hold"},
        {"Mesh Faces { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 2; 3;0,1,2;, 3;0,1;; }", 1,
         "mesh 'Faces' has counts its data do not hold"},
        {"Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshMaterialList { 2; 1; 5;; } "
         "}",
         2, "material list of mesh 'M': face 0 has material 5 of 2: left out"},
        {"Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshMaterialList { 1; 9; 0;; } "
         "}",
         2, "material list of mesh 'M' has counts its data do not hold"},
        {"Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshTextureCoords { 9; "
         "0.0;0.0;; } }",
         2, "texture coordinates of mesh 'M' do not match its 3 vertices"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mesh);
        ClearLog();
        const std::string text =
            std::string("xof 0302txt 0064\nFrame F {\n") + c.mesh +
            "\nMesh Good { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }\n}\n";
        auto root = Import("damaged.x", text);
        ASSERT_TRUE(root);
        const auto meshes = Meshes(root->FirstModelChild());
        ASSERT_EQ(int(meshes.size()), c.meshesLeft);
        EXPECT_EQ(Name(meshes.back()), "Good");
        EXPECT_TRUE(Logged(c.logged)) << Log();
        EXPECT_TRUE(Logged("damaged.x:3:")) << Log();
        if (c.meshesLeft == 2) {
            EXPECT_EQ(meshes[0]->materialCount, 1);
        }
    }
}

// Files cut anywhere, and broken syntax: no model or a model, never a read
// past the end.
TEST_F(XImportTest, CutFilesAreRefusedOrReadInPart)
{
    const std::string files[] = {std::string("xof 0303txt 0032\n") + kModel, ToBinary(kModel, false),
                                 ToBinary(kModel, true)};
    for (const std::string& whole : files)
        for (size_t n = 0; n < whole.size(); ++n) {
            const std::string cut = whole.substr(0, n);
            CRootNode root;
            LoadXFileBytes(cut, root, "cut.x");
        }
    const char* broken[] = {"xof 0303txt 0032 Frame A { Frame B { }", "xof 0303txt 0032 Frame A { \"open }",
                            "xof 0303txt 0032 Frame A { { B ; }", "xof 0303txt 0032 }",
                            "xof 0303txt 0032 Frame A { Frame B { } } { A }"};
    for (const char* text : broken) {
        SCOPED_TRACE(text);
        CRootNode root;
        EXPECT_FALSE(LoadXFileBytes(text, root, "broken.x"));
        EXPECT_EQ(root.FirstModelChild(), nullptr);
    }
    // A frame that refers to itself is read once.
    CRootNode root;
    ASSERT_TRUE(LoadXFileBytes("xof 0303txt 0032 Frame A { Frame B { Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, "
                               "0.0;1.0;0.0;; 1; 3;0,1,2;; } { A } } }",
                               root, "loop.x"));
    ASSERT_EQ(Children(&root).size(), 1u);
    ASSERT_EQ(Children(Children(&root)[0]).size(), 1u);
    EXPECT_EQ(Children(Children(Children(&root)[0])[0]).size(), 1u);
    EXPECT_TRUE(Logged("frame 'A' refers to itself"));
}

// Equal vertices of one material are welded when the model is prepared; the
// importer's vertex numbers (one per vertex of the file) stay as they are.
TEST_F(XImportTest, EqualVerticesOfSeveralMaterialsAreWelded)
{
    const char* text = "xof 0303txt 0032\n"
                       "Mesh Twice { 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;, 0.0;0.0;0.0;;\n"
                       " 2; 3;0,1,2;, 3;0,3,1;;\n"
                       " MeshNormals { 4; 0.0;0.0;1.0;, 0.0;0.0;1.0;, 0.0;0.0;1.0;, 0.0;0.0;1.0;; 0; }\n"
                       " MeshMaterialList { 2; 2; 0, 1;; } }\n";
    CRootNode root;
    ASSERT_TRUE(LoadXFileBytes(text, root, "twice.x"));
    const auto meshes = Meshes(root.FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    ASSERT_EQ(meshes[0]->materialCount, 2);
    // Material 1 uses vertices 0, 3 and 1, of which 0 and 3 are equal.
    EXPECT_EQ(meshes[0]->vertexCount, 5);
    EXPECT_EQ(meshes[0]->sourceVertexNumbers[3], 3);
}

// References may chain frames deeper than their nesting in the file: the
// chain is cut where a model file would cut it.
TEST_F(XImportTest, ReferenceChainsStayWithinTheModelDepth)
{
    std::string text = "xof 0303txt 0032\nFrame F0 { { F1 } }\nHolder {\n";
    for (int i = 1; i <= 1100; ++i)
        text += " Frame F" + std::to_string(i) + " { { F" + std::to_string(i + 1) + " } }\n";
    text += " Frame F1101 { Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; } }\n}\n";
    CRootNode root;
    ASSERT_TRUE(LoadXFileBytes(text, root, "chain.x"));
    EXPECT_TRUE(Logged("frame 'F999' left out: the file makes too many nodes or nests them too deep"))
        << Log();
}

TEST_F(XImportTest, CompressedFilesAreRefusedAndTheNextReaderTried)
{
    auto root = Import("packed.x", "xof 0303tzip0032\x10\x20\x30");
    EXPECT_EQ(root, nullptr);
    const std::string log = Log();
    const size_t refused = log.find("packed.x: compressed .x files are not supported");
    ASSERT_NE(refused, std::string::npos) << log;
    EXPECT_NE(log.find("packed.x: not a model file", refused), std::string::npos) << log;
}

TEST_F(XImportTest, AModelResourceComesBeforeTheFile)
{
    const fs::path saved = platform::ResourceFolder();
    fs::create_directories(dir / "resources" / "Model");
    Write("resources/Model/Crate.x", std::string("xof 0303txt 0032\n") + kModel);
    platform::SetResourceFolder(dir / "resources");
    std::unique_ptr<CRootNode> root(LoadXFile("Crate"));
    platform::SetResourceFolder(saved);
    ASSERT_TRUE(root);
    EXPECT_EQ(Name(root.get()), "Crate");
    EXPECT_EQ(Children(root.get()).size(), 2u);
}

std::string Gunzip(const std::string& path)
{
    std::string out;
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buffer[65536];
    for (int n; (n = gzread(f, buffer, sizeof buffer)) > 0;)
        out.append(buffer, size_t(n));
    gzclose(f);
    return out;
}

TEST_F(XImportTest, FilesOfOtherPrograms)
{
    // CRLF text.
    const std::string earth = Gunzip(PackageFile("/usr/share/doc/libirrlicht-dev/media/earth.x.gz"));
    ASSERT_NE(earth.find("\r\n"), std::string::npos);
    {
        auto root = Import("earth.x", earth);
        ASSERT_TRUE(root);
        ASSERT_EQ(Children(root.get()).size(), 1u);
        CModelNode* outer = Children(root.get())[0];
        ASSERT_EQ(Children(outer).size(), 1u);
        EXPECT_EQ(Children(outer)[0]->modelKind, CModelNode::KIND_FRAME);
        const auto meshes = Meshes(root->FirstModelChild());
        ASSERT_EQ(meshes.size(), 1u);
        EXPECT_EQ(meshes[0]->vertexCount, 2307);
        EXPECT_EQ(meshes[0]->triangleCount, 4512);
        // The file's first vertex, normal and texture coordinates.
        const MeshVertex& v = meshes[0]->vertices[0];
        EXPECT_FLOAT_EQ(v.x, -0.032702f);
        EXPECT_FLOAT_EQ(v.y, 0.997859f);
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-3f);
        EXPECT_FALSE(Logged("do not match")) << Log();
        ExpectSavesAndLoads(root.get(), Path("earth.tmf"));
    }
    for (const char* cube :
         {"/usr/share/assimp/models/X/test_cube_text.x", "/usr/share/assimp/models/X/test_cube_binary.x"}) {
        SCOPED_TRACE(cube);
        std::unique_ptr<CRootNode> root(ImportModelFile(PackageFile(cube).c_str()));
        ASSERT_TRUE(root);
        ASSERT_EQ(Children(root.get()).size(), 1u);
        CModelNode* top = Children(root.get())[0];
        EXPECT_EQ(Name(top), "Root");
        ASSERT_EQ(Children(top).size(), 1u);
        EXPECT_EQ(Name(Children(top)[0]), "Cube");
        const auto meshes = Meshes(root->FirstModelChild());
        ASSERT_EQ(meshes.size(), 1u);
        EXPECT_EQ(meshes[0]->vertexCount, 24);
        EXPECT_EQ(meshes[0]->triangleCount, 12);
    }
    {
        std::unique_ptr<CRootNode> root(
            ImportModelFile(PackageFile("/usr/share/assimp/models/X/fromtruespace_bin32.x").c_str()));
        ASSERT_TRUE(root);
        const auto meshes = Meshes(root->FirstModelChild());
        ASSERT_EQ(meshes.size(), 1u);
        EXPECT_EQ(meshes[0]->vertexCount, 4132);
        EXPECT_EQ(meshes[0]->triangleCount, 6656);
    }
    ClearLog();
    EXPECT_EQ(ImportModelFile(PackageFile("/usr/share/assimp/models/X/test_cube_compressed.x").c_str()),
              nullptr);
    EXPECT_TRUE(Logged("test_cube_compressed.x: compressed .x files are not supported"));
    EXPECT_TRUE(Logged("test_cube_compressed.x: not a model file"));
}

} // namespace

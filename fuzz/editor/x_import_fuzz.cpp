// The .x reader over arbitrary bytes (text and binary, either float size):
// the model it builds is written as a model file, so every node it makes is
// walked once more.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "GAMES/Rulo2/editor/import/XImport.h"
#include "GAMES/Rulo2/world/CRootNode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRootNode root;
    if (LoadXFileBytes(std::string_view(reinterpret_cast<const char*>(data), size), root, "fuzz.x")) {
        CChunkWriter writer;
        root.SaveToMemory(writer);
    }
    return 0;
}

// The OBJ reader over arbitrary text: the model it builds is written as a
// model file, so every mesh it makes is walked once more.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "GAMES/Rulo2/editor/import/ObjImport.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/files/Files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text =
        platform::TextModeFilter(std::string_view(reinterpret_cast<const char*>(data), size));
    CRootNode root;
    if (ImportObjText(text, root, "fuzz.obj")) {
        CChunkWriter writer;
        root.SaveToMemory(writer);
    }
    return 0;
}

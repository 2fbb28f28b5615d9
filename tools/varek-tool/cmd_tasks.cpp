// varek-tool tasks dump FILE: a file holding one "TALI" chunk (a task list as
// plan and world files store it) as a tree of tasks and dependencies. Exit code 2 when the
// reader left something out.
#include <cstdio>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

int TasksUsage()
{
    std::fprintf(stderr, "usage: varek-tool tasks dump FILE\n");
    return 1;
}

} // namespace

void DumpTaskList(const CTaskList& list, int depth, const CTaskList* root)
{
    const std::string indent(size_t(depth) * 2, ' ');
    for (const auto& t : list.tasks) {
        const STaskTypeRow* row = TaskTypeRow(t->taskType);
        const char* name = row && row->name ? row->name : "?";
        std::printf("%stask %d \"%s\" start %d%s%s\n", indent.c_str(), t->taskType, name, t->startTime,
                    t->critical ? " critical" : "", t->isDefault ? " default" : "");
        for (size_t i = 0; i < t->parameters.size(); ++i) {
            const char* label = row && i < row->paramCount ? row->params[i].label : nullptr;
            std::printf("%s  %s\n", indent.c_str(), t->parameters[i]->Print(label).c_str());
        }
    }
    for (size_t i = 0; i < list.dependencies.size(); ++i) {
        const CDependency& d = *list.dependencies[i];
        std::printf("%sdependency %zu: %s (%zu linked tasks)", indent.c_str(), i + 1, d.Describe().c_str(),
                    d.linkedTasks.size());
        uint32_t code = 0;
        if (root && d.childList && root->FindPathCode(code, d.childList.get()))
            std::printf(" path 0x%x", code);
        std::printf("\n");
        DumpTaskList(*d.childList, depth + 1, root);
    }
}

int cmd_tasks(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "dump")
        return TasksUsage();
    const std::string path = argv[2];
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWholeFile(path, data, error))
        return ToolFail("tasks", path, error);
    CChunkReader all(data.data(), data.size());
    SChunkHeader header;
    CChunkReader body;
    const EChunkResult r = all.NextChunk(header, body, data.size());
    if (r != CHUNK_OK)
        return ToolFail("tasks", path, std::string(ChunkResultText(r)) + " at offset 0");
    if (header.id != ChunkId("TALI"))
        return ToolFail("tasks", path, "no task list (starts with '" + ChunkIdText(header.id) + "')");
    // The reader tells where a damaged list breaks through the log.
    LoadLosses().clear();
    CTaskList list;
    bool ok = false;
    {
        CToolLog log;
        ok = list.Read(body);
        log.Pass();
    }
    if (!ok)
        return ToolFail("tasks", path, "damaged task list");
    DumpTaskList(list, 0);
    return ToolLosses("tasks", path, true);
}

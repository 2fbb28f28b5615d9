// Worlds made in code for the behaviour data tests: placed objects listed in
// the object table by logic number, items listed by definition number, and
// the application log caught in a file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/world/ServicesFixture.h"

class BehaviourTest : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        ObjectLogicTable.assign(1, nullptr);
        g_ObjectTable.assign(1, nullptr);
        logPath = std::filesystem::temp_directory_path() /
                  ("behaviour_log_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
        std::filesystem::remove(logPath);
        LogPrintfSetTarget(&logging, logPath.string().c_str());
    }
    void TearDown() override
    {
        LogPrintfSetTarget(nullptr, "");
        std::filesystem::remove(logPath);
        ObjectLogicTable.clear();
        g_ObjectTable.clear();
        g_SpecialObject = nullptr;
        WorldServicesTest::TearDown();
    }

    // A placed object of the kind whose logic carries the number, listed in the object table.
    CWorldObject* Object(const char* name, int32_t number, int32_t kind = 3)
    {
        CWorldObject* node = Place(g_WorldRoot, name, CWorldObject::KIND_OBJECT, nullptr);
        node->objectLogic = new CObjectLogic;
        node->objectLogic->ownKindData = CKindData::Create(kind);
        node->objectLogic->recorderId = number;
        if (ObjectLogicTable.size() <= size_t(number))
            ObjectLogicTable.resize(size_t(number) + 1, nullptr);
        ObjectLogicTable[size_t(number)] = node;
        return node;
    }
    // A definition of the kind with the list number, listed in the item table.
    CObjectNode* Item(const char* name, uint32_t number, int32_t kind = 0)
    {
        CObjectNode* def = AddDefinition(name, nullptr, kind);
        def->index = number;
        if (g_ObjectTable.size() <= number)
            g_ObjectTable.resize(number + 1, nullptr);
        g_ObjectTable[number] = def;
        return def;
    }

    std::string Log() const
    {
        std::ifstream in(logPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static std::vector<uint8_t> Bytes(const CChunkWriter& w) { return w.Data(); }

    uint8_t logging = 1;
    std::filesystem::path logPath;
};

// The body of the single chunk a writer holds, as a bounded reader.
inline CChunkReader OnlyChunkBody(const std::vector<uint8_t>& data, uint32_t expectedId)
{
    CChunkReader all(data.data(), data.size());
    SChunkHeader header;
    CChunkReader body;
    EXPECT_EQ(all.NextChunk(header, body), CHUNK_OK);
    EXPECT_EQ(header.id, expectedId);
    return body;
}

#pragma once

#include "ToolDatabase.h"

#include <gtest/gtest.h>

// A test run once per database engine, each with a fresh empty database and the shipped texts.
class ToolTest : public ::testing::TestWithParam<ToolDatabase::Engine>
{
protected:
    void SetUp() override
    {
        if (!ToolDatabase::offered(GetParam()))
            GTEST_SKIP() << "OSTRELLE_TEST_PG is not set: no PostgreSQL server for this run";
        m_test = ToolDatabase::create(GetParam());
        ASSERT_TRUE(m_test);
        m_texts = LoadShippedTexts();
    }

    RecordDatabase &db() { return m_test->db(); }
    const TextResources &texts() const { return *m_texts; }

    std::unique_ptr<ToolDatabase> m_test;
    std::unique_ptr<TextResources> m_texts;
};

inline std::string EngineName(const ::testing::TestParamInfo<ToolDatabase::Engine> &info)
{
    return ToolDatabase::engineName(info.param).toStdString();
}

#define OSTRELLE_ON_EVERY_ENGINE(Suite)                                                                                \
    INSTANTIATE_TEST_SUITE_P(                                                                                          \
        Engines, Suite, ::testing::Values(ToolDatabase::Engine::SQLite, ToolDatabase::Engine::PostgreSQL), EngineName)

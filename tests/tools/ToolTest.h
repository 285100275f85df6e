#pragma once

#include "ToolDatabase.h"
#include "ostrelle-db/DbTool.h"

#include <gtest/gtest.h>

// A test run once per database engine, each with a fresh empty database and the shipped texts.
class ToolTest : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        m_test = std::make_unique<ToolDatabase>(QLatin1String(GetParam()) == QLatin1String("postgresql"));
        m_texts = LoadShippedTexts();
    }

    RecordDatabase &db() { return m_test->db; }
    const TextResources &texts() const { return *m_texts; }
    // The tool's installations: the required rows alone, or the demo hotel with the history asked for.
    void create()
    {
        QString error;
        ASSERT_TRUE(DbTool::createDatabase(db(), texts(), error)) << error.toStdString();
    }
    void createDemo(const FillOptions &history = FillOptions{})
    {
        QString error;
        ASSERT_TRUE(DbTool::createDemo(db(), texts(), history, error)) << error.toStdString();
    }

    std::unique_ptr<ToolDatabase> m_test;
    std::unique_ptr<TextResources> m_texts;
};

#define OSTRELLE_ON_EVERY_ENGINE(Suite)                                                                                \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values("sqlite", "postgresql"))

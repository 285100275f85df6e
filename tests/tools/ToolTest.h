#pragma once

#include "ToolDatabase.h"

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

    std::unique_ptr<ToolDatabase> m_test;
    std::unique_ptr<TextResources> m_texts;
};

#define OSTRELLE_ON_EVERY_ENGINE(Suite)                                                                                \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values("sqlite", "postgresql"))

#pragma once

#include "texts/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

// A file's contents; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces a file's contents, creating its folder first.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Text-file mode on the given table, written to path.
inline void useTextFile(TextResources &texts, const QString &path, const QByteArray &table)
{
    writeFile(path, table);
    texts.setTextFileName(path);
    texts.setTextFileMode(true);
    ASSERT_TRUE(texts.LoadTextFile());
}

#pragma once

#include "platform/RegistryStore.h"

#include <QString>

// Key-path helpers shared by the registry store and its file format. Registry names compare
// without case, as on Windows.
namespace regkeys {

inline bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "\Software\X\" and "Software\X" name the same key.
inline QString normalizedPath(const QString &path)
{
    qsizetype begin = 0;
    qsizetype end = path.size();
    while (begin < end && path.at(begin) == u'\\')
        ++begin;
    while (end > begin && path.at(end - 1) == u'\\')
        --end;
    return path.mid(begin, end - begin);
}

// True when path lies below parent (parent empty: below the root).
inline bool isBelow(const QString &path, const QString &parent)
{
    if (parent.isEmpty())
        return !path.isEmpty();
    return path.size() > parent.size() + 1 && path.at(parent.size()) == u'\\' &&
           sameName(path.left(parent.size()), parent);
}

inline qsizetype findKey(const RegistryStore::Document &document, const QString &root, const QString &path)
{
    for (qsizetype i = 0; i < document.keys.size(); ++i) {
        const RegistryStore::Key &key = document.keys.at(i);
        if (sameName(key.root, root) && sameName(key.path, path))
            return i;
    }
    return -1;
}

// A key exists when it has a section of its own or a section below it (regedit creates the
// parents of every imported key), and the root always exists.
inline bool keyExists(const RegistryStore::Document &document, const QString &root, const QString &path)
{
    if (path.isEmpty())
        return true;
    for (const RegistryStore::Key &key : document.keys) {
        if (sameName(key.root, root) && (sameName(key.path, path) || isBelow(key.path, path)))
            return true;
    }
    return false;
}

inline qsizetype findEntry(const RegistryStore::Key &key, const QString &name)
{
    for (qsizetype i = 0; i < key.entries.size(); ++i) {
        if (sameName(key.entries.at(i).name, name))
            return i;
    }
    return -1;
}

// Replaces the data of an existing value (keeping its name's case) or adds the value.
inline void putEntry(RegistryStore::Key &key, const QString &name, const RegistryStore::Value &value)
{
    const qsizetype index = findEntry(key, name);
    if (index >= 0)
        key.entries[index].value = value;
    else
        key.entries.append({name, value});
}

// Removes the key and everything below it; returns how many sections went.
inline qsizetype removeKey(RegistryStore::Document &document, const QString &root, const QString &path)
{
    return document.keys.removeIf([&](const RegistryStore::Key &key) {
        return sameName(key.root, root) && (sameName(key.path, path) || isBelow(key.path, path));
    });
}

} // namespace regkeys

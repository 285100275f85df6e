#pragma once

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

namespace testsupport {

// Names of every named child below root, for a failure message that shows what does exist.
QString describeChildren(const QObject *root);

QObject *findPath(QObject *root, const QString &path);

} // namespace testsupport

// Finds a descendant by object name, or by a "/"-separated path of names; a missing or
// mistyped child fails the current test and lists the children that do exist.
template <typename T> T *child(QObject *root, const QString &path)
{
    QObject *found = testsupport::findPath(root, path);
    T *typed = qobject_cast<T *>(found);
    if (!typed) {
        ADD_FAILURE() << (found ? "child has another type: " : "no child named: ") << path.toStdString()
                      << "\nchildren:\n"
                      << testsupport::describeChildren(root).toStdString();
    }
    return typed;
}

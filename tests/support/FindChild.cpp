#include "FindChild.h"

namespace testsupport {

QString describeChildren(const QObject *root)
{
    QString out;
    const auto all = root->findChildren<QObject *>();
    for (const QObject *o : all) {
        if (!o->objectName().isEmpty())
            out += QStringLiteral("  %1 (%2)\n").arg(o->objectName(), QLatin1String(o->metaObject()->className()));
    }
    return out;
}

QObject *findPath(QObject *root, const QString &path)
{
    QObject *current = root;
    const auto parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : parts) {
        current = current->findChild<QObject *>(name);
        if (!current)
            return nullptr;
    }
    return current;
}

} // namespace testsupport

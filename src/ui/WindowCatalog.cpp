#include "ui/WindowCatalog.h"

#include <QStringList>

void WindowCatalog::add(const QString &kind, Factory factory)
{
    m_factories.insert(kind, std::move(factory));
}

QWidget *WindowCatalog::create(const QString &kind, QWidget *parent) const
{
    const auto it = m_factories.constFind(kind);
    if (it == m_factories.constEnd() || !*it)
        return nullptr;
    return (*it)(parent);
}

QStringList WindowCatalog::kinds() const
{
    QStringList list = m_factories.keys();
    list.sort();
    return list;
}

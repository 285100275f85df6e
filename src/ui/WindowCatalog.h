#pragma once

#include <QHash>
#include <QString>

#include <functional>

class QWidget;

// Windows open each other by kind through this catalog, never by including each other's
// headers; the program fills it at start with one factory per window kind.
class WindowCatalog
{
public:
    using Factory = std::function<QWidget *(QWidget *parent)>;

    void add(const QString &kind, Factory factory);
    bool has(const QString &kind) const { return m_factories.contains(kind); }
    // Creates a window of the kind, or nullptr when no factory is known for it.
    QWidget *create(const QString &kind, QWidget *parent = nullptr) const;
    QStringList kinds() const;

private:
    QHash<QString, Factory> m_factories;
};

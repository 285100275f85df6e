#include "ui/PopupMenu.h"

#include <QAction>
#include <QMenu>

#include <memory>

namespace {
const QString kSeparator = QStringLiteral("-");
}

PopupMenu::PopupMenu(QWidget *owner) : m_owner(owner) {}

void PopupMenu::CreateRoot(const QString &caption, const QString &key)
{
    m_rootCaption = caption;
    m_rootKey = key;
    m_entries.clear();
}

bool PopupMenu::AddItem(const QString &parentKey, const QString &key, const QString &caption, bool enabled)
{
    if (parentKey != m_rootKey && !find(parentKey))
        return false;
    // Separators share the key "-"; every other key names one entry.
    if (caption != kSeparator && (key == m_rootKey || find(key)))
        return false;
    m_entries.append({parentKey, key, caption, enabled});
    return true;
}

void PopupMenu::Clear()
{
    m_entries.clear();
}

QString PopupMenu::Show(const QString &rootKey, const QPoint &globalPos) const
{
    if (m_chooser)
        return m_chooser(*this, rootKey, globalPos);
    std::unique_ptr<QMenu> menu(buildMenu(rootKey, m_owner));
    const QAction *chosen = menu->exec(globalPos);
    return chosen ? chosen->data().toString() : QString();
}

QStringList PopupMenu::keys(const QString &parentKey) const
{
    QStringList list;
    for (const Entry &entry : m_entries) {
        if (entry.parent == parentKey)
            list << (entry.caption == kSeparator ? kSeparator : entry.key);
    }
    return list;
}

QString PopupMenu::caption(const QString &key) const
{
    if (key == m_rootKey)
        return m_rootCaption;
    const Entry *entry = find(key);
    return entry ? entry->caption : QString();
}

bool PopupMenu::contains(const QString &key) const
{
    return key == m_rootKey || find(key) != nullptr;
}

bool PopupMenu::isEnabled(const QString &key) const
{
    const Entry *entry = find(key);
    return entry && entry->enabled;
}

QStringList PopupMenu::selectableKeys(const QString &rootKey) const
{
    QStringList list;
    for (const Entry &entry : m_entries) {
        if (entry.parent != rootKey || entry.caption == kSeparator)
            continue;
        if (hasChildren(entry.key))
            list << selectableKeys(entry.key);
        else
            list << entry.key;
    }
    return list;
}

QMenu *PopupMenu::buildMenu(const QString &rootKey, QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(rootKey);
    fill(menu, rootKey);
    return menu;
}

const PopupMenu::Entry *PopupMenu::find(const QString &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.key == key && entry.caption != kSeparator)
            return &entry;
    }
    return nullptr;
}

bool PopupMenu::hasChildren(const QString &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.parent == key)
            return true;
    }
    return false;
}

void PopupMenu::fill(QMenu *menu, const QString &parentKey) const
{
    for (const Entry &entry : m_entries) {
        if (entry.parent != parentKey)
            continue;
        if (entry.caption == kSeparator) {
            menu->addSeparator();
        } else if (hasChildren(entry.key)) {
            QMenu *sub = menu->addMenu(entry.caption);
            sub->setObjectName(entry.key);
            fill(sub, entry.key);
        } else {
            QAction *action = menu->addAction(entry.caption);
            action->setData(entry.key);
            action->setEnabled(entry.enabled);
        }
    }
}

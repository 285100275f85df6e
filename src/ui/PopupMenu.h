#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class QWidget;

// A context menu built from entries of key and caption under a root key, shown at the pointer,
// answering the key of the chosen entry. An entry whose caption is "-" is a separator; an entry
// that other entries name as their parent is a sub-menu.
class PopupMenu
{
public:
    // Shows the menu and returns the chosen key, or an empty text. Tests hand in their own.
    using Chooser = std::function<QString(const PopupMenu &menu, const QString &rootKey, const QPoint &globalPos)>;

    explicit PopupMenu(QWidget *owner = nullptr);

    // The hidden root all menus hang from, with its caption and key.
    void CreateRoot(const QString &caption, const QString &key);
    // Adds an entry under parentKey; false when the parent is unknown or the key is taken.
    // A disabled entry is shown greyed and cannot be chosen.
    bool AddItem(const QString &parentKey, const QString &key, const QString &caption, bool enabled = true);
    void Clear();

    QString Show(const QString &rootKey, const QPoint &globalPos) const;
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // What the menu holds: the keys under a parent in order ("-" entries included).
    QStringList keys(const QString &parentKey) const;
    QString caption(const QString &key) const;
    bool contains(const QString &key) const;
    bool isEnabled(const QString &key) const;
    // Every selectable key in menu order, sub-menus walked in place.
    QStringList selectableKeys(const QString &rootKey) const;

    // The Qt menu of a root, for showing it; the caller owns it. Each action carries its key as data.
    QMenu *buildMenu(const QString &rootKey, QWidget *parent) const;

private:
    struct Entry
    {
        QString parent;
        QString key;
        QString caption;
        bool enabled = true;
    };
    const Entry *find(const QString &key) const;
    bool hasChildren(const QString &key) const;
    void fill(QMenu *menu, const QString &parentKey) const;

    QWidget *m_owner;
    QString m_rootKey;
    QString m_rootCaption;
    QList<Entry> m_entries;
    Chooser m_chooser;
};

#pragma once

#include "ui/CardSearchFilters.h"
#include "ui/WindowContracts.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

// Windows open each other by kind through this catalog, never by including each other's
// headers; the program fills it at start with one factory per window kind. A kind is registered
// with the contract its windows implement.
class WindowCatalog
{
public:
    using ChildFactory = std::function<FrameChild *(QWidget *parent)>;
    using DialogFactory = std::function<QDialog *(QWidget *parent)>;
    // The card search dialog, modal: the filters chosen, nullopt when cancelled.
    using CardSearch = std::function<std::optional<CardSearchFilters>(const CardSearchRequest &, QWidget *parent)>;

    // A child window of the frame; the factory's window must implement the kind's contract.
    template <class Contract, class Factory> void add(const WindowKind<Contract> &kind, Factory factory)
    {
        m_children.insert(kind.name, [factory](QWidget *parent) -> FrameChild * {
            Contract *window = factory(parent);
            return window;
        });
    }
    // A modal dialog the frame shows by kind (its own commands).
    void addDialog(const QString &kind, DialogFactory factory);
    void setCardSearch(CardSearch search) { m_cardSearch = std::move(search); }

    bool has(const QString &kind) const { return m_children.contains(kind) || m_dialogs.contains(kind); }
    // A new child window of the kind, or nullptr when no factory is known for it. A kind
    // "name#instance" is made by the factory of "name" when it has none of its own.
    FrameChild *create(const QString &kind, QWidget *parent = nullptr) const;
    // A new window of the kind when it implements Contract; nullptr otherwise.
    template <class Contract> Contract *create(const WindowKind<Contract> &kind, QWidget *parent = nullptr) const
    {
        FrameChild *child = create(kind.name, parent);
        auto *typed = dynamic_cast<Contract *>(child);
        if (!typed)
            delete child;
        return typed;
    }
    QDialog *createDialog(const QString &kind, QWidget *parent = nullptr) const;
    bool hasCardSearch() const { return bool(m_cardSearch); }
    // Runs the card search; nullopt when it was cancelled or there is none.
    std::optional<CardSearchFilters> searchCards(const CardSearchRequest &request, QWidget *parent) const;

private:
    QHash<QString, ChildFactory> m_children;
    QHash<QString, DialogFactory> m_dialogs;
    CardSearch m_cardSearch;
};

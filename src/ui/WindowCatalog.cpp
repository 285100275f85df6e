#include "ui/WindowCatalog.h"

#include <QDialog>

void WindowCatalog::addDialog(const QString &kind, DialogFactory factory)
{
    m_dialogs.insert(kind, std::move(factory));
}

FrameChild *WindowCatalog::create(const QString &kind, QWidget *parent) const
{
    // "frmCamera#12": an instance of a kind that may be open several times, made by "frmCamera".
    auto it = m_children.constFind(kind);
    if (it == m_children.constEnd())
        it = m_children.constFind(kind.section(QLatin1Char('#'), 0, 0));
    if (it == m_children.constEnd() || !*it)
        return nullptr;
    return (*it)(parent);
}

QDialog *WindowCatalog::createDialog(const QString &kind, QWidget *parent) const
{
    const auto it = m_dialogs.constFind(kind);
    if (it == m_dialogs.constEnd() || !*it)
        return nullptr;
    return (*it)(parent);
}

std::optional<CardSearchFilters> WindowCatalog::searchCards(const CardSearchRequest &request, QWidget *parent) const
{
    if (!m_cardSearch)
        return std::nullopt;
    return m_cardSearch(request, parent);
}

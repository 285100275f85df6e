#pragma once

#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"

#include <QList>
#include <QVariantList>
#include <QWidget>

#include <cstdint>
#include <memory>

class ListPrintMenu;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordGrid;
struct DatabaseServices;
struct FrameWindows;
struct ProgramServices;
struct Session;

// What the wing list and the door-area list share: a grid of one list view with several rows
// selectable, Add, Remove, Properties, Print and Close, rights on one table.
class MasterDataList : public QWidget, public ListWindow
{
    Q_OBJECT

public:
    struct Setup
    {
        const char *objectName;
        const char *gridName;
        int windowNumber;
        qint32 tableId;
        qint32 viewId;
        int16_t caption;
        QList<int16_t> columnCaptions;
        QString columns; // the captioned ones first, then hidden ones
        QString columnKey;
        bool withSearch;
        qint32 readTableId = -1; // the list's read right when not tableId's (a list view's own code)
    };

    MasterDataList(const Setup &setup, ProgramServices &program, DatabaseServices &db, Session &session,
                   FrameWindows &frameWindows, QWidget *parent);
    ~MasterDataList() override;

    // ListWindow
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    void RefreshTableList() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;

protected:
    struct Query
    {
        QString where;
        QString orderBy;
        QVariantList parameters;
    };
    virtual Query query(const QString &searchText) const = 0;
    virtual void addRecord() = 0;
    virtual void removeRows(const QList<int> &rows) = 0;
    virtual void openRow(int row) = 0;

    void runSearch();
    QVariant rowValue(int row, const QString &field) const;
    QList<int> selectedRows() const;
    void keyPressEvent(QKeyEvent *event) override;

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    FrameWindows &m_frameWindows;

private:
    qint32 readTable() const { return m_setup.readTableId >= 0 ? m_setup.readTableId : m_setup.tableId; }
    void updateButtons();
    void showPrintMenu();

    Setup m_setup;
    RecordGrid *m_grid;
    QLabel *m_lblSearch = nullptr;
    QLineEdit *m_txtSearch = nullptr;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdRemove;
    QPushButton *m_cmdProperties;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    qint32 m_rows = 0;
};

#include "admin/frmWingList.h"

#include "admin/MasterDataRemoval.h"
#include "admin/OpenWindows.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "ui/FrameHost.h"

frmWingList::frmWingList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                         QWidget *parent)
    : MasterDataList({"frmWingList",
                      "tlvWings",
                      43,
                      TableId::Wings,
                      TableId::WingView,
                      29500,
                      {29501, 29502, 29503},
                      QStringLiteral("wingCode,doorIDInterval,noteText"),
                      QStringLiteral("tlvWingsCol"),
                      true},
                     program, db, session, frameWindows, parent)
{
    runSearch();
}

MasterDataList::Query frmWingList::query(const QString &searchText) const
{
    return {QString(Field::wingCode) + QStringLiteral(" like ?"), Field::wingCode, {searchText + QLatin1Char('%')}};
}

void frmWingList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::WingData, [](WingDataWindow &window) { window.NewRecord(); });
}

void frmWingList::removeRows(const QList<int> &rows)
{
    QStringList codes;
    for (int row : rows)
        codes << rowValue(row, Field::wingCode).toString();
    const RemovalContext context{*m_db.database,      *m_program.messages,  m_session.notify,
                                 m_session.authority, m_session.frame.busy, this};
    const QStringList removed = RemoveWings(context, codes);
    if (removed.isEmpty())
        return;
    for (WingDataWindow *dialog : OpenWindows<WingDataWindow>(this)) {
        for (const QString &code : removed)
            dialog->NotifyRemove(code);
    }
    RefreshTableList();
}

void frmWingList::openRow(int row)
{
    const QString code = rowValue(row, Field::wingCode).toString();
    OpenChild(m_frameWindows.frameHost, WindowKinds::WingData,
              [&code](WingDataWindow &window) { window.setWingCode(code); });
}

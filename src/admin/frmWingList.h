#pragma once

#include "admin/MasterDataList.h"

// The wings in code order, searched by the first letters of the code. Removing wings names
// their guest doors by number again.
class frmWingList : public MasterDataList
{
    Q_OBJECT

public:
    frmWingList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                QWidget *parent = nullptr);

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;
};

#pragma once

#include "admin/MasterDataList.h"
#include "session/NotifyInterfaces.h"

// The door areas by name. Removing an area removes its doors and their notes as well.
class frmDoorAreaList : public MasterDataList, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmDoorAreaList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                    QWidget *parent = nullptr);
    ~frmDoorAreaList() override;

    // clsIDoorGroups
    void Add(int32_t, int16_t) override { RefreshTableList(); }
    void Update(int32_t) override { RefreshTableList(); }
    void Remove(int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;
};

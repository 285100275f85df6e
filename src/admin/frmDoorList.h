#pragma once

#include "admin/MasterDataList.h"
#include "session/NotifyInterfaces.h"

// The doors by name, searched by the start of the name. Removing asks about doors that valid
// cards still open.
class frmDoorList : public MasterDataList, public clsIDoors, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmDoorList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                QWidget *parent = nullptr);
    ~frmDoorList() override;

    // clsIDoors
    void Add(int32_t) override { RefreshTableList(); }
    void AddRange(int32_t, int32_t) override { RefreshTableList(); }
    void Update(int32_t, int32_t) override { RefreshTableList(); }
    void Remove(int32_t, int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }
    // clsIDoorGroups: a removed area took its doors with it.
    void Add(int32_t, int16_t) override {}
    void Update(int32_t) override {}
    void Remove(int32_t) override { RefreshTableList(); }

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;
};

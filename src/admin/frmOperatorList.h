#pragma once

#include "admin/MasterDataList.h"
#include "session/NotifyInterfaces.h"

// The operators by user ID, searched by the start of the ID; also the chooser of the operator
// card. Removing refuses the operator logged on here.
class frmOperatorList : public MasterDataList, public OperatorListWindow, public clsIOperators, public clsIUsers
{
    Q_OBJECT

public:
    frmOperatorList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                    QWidget *parent = nullptr);
    ~frmOperatorList() override;

    // OperatorListWindow
    void RefreshTableList() override { MasterDataList::RefreshTableList(); }
    void setChoiceRequest(const ChoiceRequest &request) override { MasterDataList::setChoiceRequest(request); }
    // clsIOperators and clsIUsers (an operator's names are the user's)
    void Add(int32_t) override { RefreshTableList(); }
    void Update(int32_t) override { RefreshTableList(); }
    void Remove(int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }
    void Add(int32_t, int16_t) override {}

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;
};

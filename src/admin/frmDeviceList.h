#pragma once

#include "admin/MasterDataList.h"
#include "session/NotifyInterfaces.h"

class RemovalQuestions;
struct CardServers;

// The devices in name order, searched by the first letters of the name. A device that doors name
// or that a card operation uses stays; removing this workstation's own device is asked first.
class frmDeviceList : public MasterDataList, public clsIDevices
{
    Q_OBJECT

public:
    frmDeviceList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                  FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmDeviceList() override;

    int HelpContextID() const override { return 1211; }

    // clsIDevices: any change re-reads the list.
    void Add(int32_t) override { RefreshTableList(); }
    void Update(int32_t) override { RefreshTableList(); }
    void Remove(int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;

private:
    // false: stop removing the rest.
    bool removeDevice(qint32 deviceID, const QString &name, RemovalQuestions &questions);

    CardServers &m_cardServers;
};

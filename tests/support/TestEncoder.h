#pragma once

#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class RecordDatabase;

// A virtual encoder on a test installation: the device row "Front desk" on port "encoder" and its
// folder under a temporary device directory, writing and ejecting at once.
//
//   ASSERT_NO_FATAL_FAILURE(encoder.install(db));
//   ws->cardServers.firstCardsIntf = encoder.cardServer(*ws->db.database, ws->program.ComputerName);
class TestEncoder
{
public:
    // Adds the device row and creates the folder; fails the test (fatally) when either fails.
    void install(RecordDatabase &db);

    qint32 deviceID() const { return m_deviceID; }
    QString deviceDirectory() const { return m_devices.path(); }
    VirtualDeviceFolder folder() const;

    // How long writing a card takes; the encoder ejects at once and polls its slot every millisecond.
    void setWriteTime(int ms);
    // Puts the card ejected last back into the slot, as a guest hands a card in; fails the test
    // (fatally) when there is none.
    void reinsertEjectedCard();

    // A card server on the device directory, negotiated for the computer.
    std::unique_ptr<CardsIntf> cardServer(RecordDatabase &db, const QString &computerName) const;

private:
    QTemporaryDir m_devices;
    qint32 m_deviceID = 0;
};

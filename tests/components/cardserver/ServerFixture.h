#pragma once

#include "DatabaseFixture.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"
#include "components/recordtable/RecordTable.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

// One installation per test on the parameter's engine: encoder (device 1, port "encoder") and handheld unit
// (device 2, "handheld") without delays, an operator logged on at "WS1", a CardsIntf; the clock pinned to `now`.
class ServerTest : public ::testing::TestWithParam<const char *>, public DatabaseSeeds
{
protected:
    ServerTest() : DatabaseSeeds(db) {}
    static constexpr qint32 kEncoder = 1;
    static constexpr qint32 kHandheld = 2;

    void SetUp() override;
    void TearDown() override;

    bool isPostgres() const;
    QString connectionString() const { return m_database.connectionString(); }
    QString deviceDir() const { return m_devices.path(); }

    qint32 encodeGuestCard(qint32 room, double expireTime, qint32 copies = 1);

    VirtualDeviceFolder encoderFolder() const;
    VirtualDeviceFolder handheldFolder() const;
    void setEncoder(bool manual, int writeMs = 0, int ejectMs = 0, int cardWaitMs = 0);

    // Cancels a stored card at the desk (status 0).
    void cancelCard(qint32 registrationNumber);
    // Runs SQL the component does not offer (test set-up only).
    void exec(const QString &sql);

    RecordDatabase db;
    double now = 45444.5; // 2024-06-01 12:00
    qint32 operatorId = 0;
    std::unique_ptr<CardsIntf> cards;

private:
    TestDatabase m_database;
    QTemporaryDir m_devices;
};

// Polls GetStatus as the client does (no delay, yielding to the event loop) until it leaves the busy
// set; fails the test after timeoutMs.
qint32 waitWhileBusy(CardsIntf &cards, int timeoutMs = 5000);
// Runs the event loop for about a millisecond per iteration, so timers that should not fire get the chance.
void spin(int iterations = 200);
// Runs the event loop until done() or timeoutMs; false on time-out.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000);
// A guest card as the guest dialog builds it: room block, common rooms, the fields in order.
void buildGuestCard(CardsIntf &cards, qint32 room, double expireTime, qint32 copies = 1,
                    QList<qint32> commonRooms = {});

#define CARD_STATUS_EQ(actual, expected)                                                                               \
    EXPECT_EQ(quint32(actual), quint32(expected)) << "0x" << std::hex << quint32(actual)

std::string hexStatus(qint32 status);
// The file's bytes, empty when it cannot be read.
QByteArray readFile(const QString &path);

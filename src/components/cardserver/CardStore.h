#pragma once

#include "components/cardserver/DeviceDriver.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/RegistrationNumbers.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class CardImage;
struct Readout;

// A card field as a number or a date, whatever type the dialog set it with; fallback when missing.
qint32 cardFieldInt(const CardImage &image, const QString &name, qint32 fallback);
double cardFieldDate(const CardImage &image, const QString &name, double fallback);

// The card-encoding server's side of the database: devices, parameters, issued cards with their
// images, read-outs. Everything goes through the database component; statuses are the server's
// (CardServerStatus) with the database's text kept in detail().
class CardStore
{
public:
    explicit CardStore(RecordDatabase &db);

    void setComputerName(const QString &name);
    RecordTable &table() { return m_rt; }
    QString detail() const { return m_detail; }
    QString errorText(qint32 status) const { return m_rt.ErrorText(status); }

    double now();
    // The parameter's text; nullopt when the row is missing or the database failed.
    std::optional<QString> parameter(const QString &key);
    // The installation's identity as it goes on every card: derived from the day the database was
    // created, so cards of two installations differ.
    quint32 installationId();

    // 0, NoEncoder (no such device) or a database status.
    qint32 findDevice(qint32 deviceID, DeviceInfo &info);

    // Issuing one copy: beginCopy opens the transaction (copy 0 also allocates the number),
    // storeCopy writes the rows as not yet issued, and the caller commits them before the card is
    // written. After the write markIssued or markNeverIssued settles the row (CardRecordState).
    qint32 beginCopy(int copyIndex, qint32 &number);
    // The override number a room card of this kind carries; the first copy of a new occupancy moves
    // the door's number on by its step.
    qint32 overrideNumber(qint32 cardNameID, qint32 room, qint16 &number);
    qint32 storeCopy(const CardImage &image, quint32 stored, int copies, const QByteArray &bytes);
    bool commit();
    void rollback();
    // Valid, with the rooms the card opens (CardDoors), in one transaction; beforeCommit is the
    // fault seam. DatabaseError with detail() when it fails: the row stays not yet issued.
    qint32 markIssued(const CardImage &image, quint32 stored, const std::function<void()> &beforeCommit);
    // The card does not exist (the write failed or the card was erased); false when the row could
    // not be changed and stays not yet issued.
    bool markNeverIssued(quint32 stored);

    // Stored cards.
    qint32 loadImage(quint32 stored, QByteArray &bytes);
    // Cards.status of a stored card; nullopt when there is no row.
    std::optional<qint32> cardStatus(quint32 stored);

    // Read-outs and their events, when EVENT_STOREREADOUT is on; a read-out stored before is skipped.
    qint32 storeReadout(const Readout &readout, qint32 deviceID);
    // What a handheld unit carries to the locks (docs/card-server.md).
    QByteArray handheldSetup(const DeviceInfo &device);

private:
    qint32 dbFail(const QString &what);
    // Moves a not-yet-issued row on to status; NoRecord when the row is missing or was changed.
    qint32 settleNotYetIssued(quint32 stored, qint32 status);
    static QList<qint32> roomsOf(const CardImage &image);

    RecordDatabase &m_db;
    RecordTable m_rt;
    RegistrationNumbers m_numbers;
    QString m_detail;
};

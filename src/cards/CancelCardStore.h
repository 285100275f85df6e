#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

class RecordTable;

// The cancel card's work on Cards: the copy of a card that expires last, and marking a card
// cancelled once the cancel card is written.
class CancelCardStore
{
public:
    explicit CancelCardStore(RecordTable &table) : m_table(table) {}

    // The stored number and expiry of the card's copy (number × 256 to + 255) that expires last.
    std::optional<std::pair<quint32, double>> latestCopy(quint32 number);

    // Status 0, the cancel time and the cancelling operator on the card's row. 0 when done;
    // otherwise the error code (4498: the row was not found, 4497: the update failed) with the
    // database's text in error.
    int32_t markCancelled(quint32 registrationNumber, double now, qint32 operatorID, QString &error);

private:
    RecordTable &m_table;
};

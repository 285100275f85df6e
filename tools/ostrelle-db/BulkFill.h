#pragma once

#include <QString>

#include <functional>

class RecordDatabase;

// Generates a history of issued cards and lock events for an installation that has its doors,
// operators and staff: card kinds, rooms, stay lengths, issue times and operators drawn from fixed
// distributions, events at the doors the cards open. The same options and seed give the same rows.
struct FillOptions
{
    qint64 cards = 0;
    qint64 events = 0;
    double years = 3;   // the history ends at endTime and reaches this far back
    double endTime = 0; // OLE date; 0 = the database server's now
    quint32 seed = 1;
    qint64 rowsPerCommit = 100000;
    std::function<void(const QString &)> progress; // one line per step, may be empty
};

struct FillResult
{
    qint64 cards = 0;
    qint64 cardDoors = 0;
    qint64 guests = 0; // hidden users created for named guest cards
    qint64 events = 0;
    qint64 readouts = 0;
    double cardSeconds = 0;
    double eventSeconds = 0;
};

bool FillDatabase(RecordDatabase &db, const FillOptions &options, FillResult &result, QString &error);

#pragma once

#include "components/recordtable/RecordTable.h"

#include <QList>
#include <QPair>

// The rights of the operators logged on at one computer, read one entry per Next... call.
struct RecordTable::Rights
{
    QList<QPair<qint32, qint32>> tables;   // tableId, rwed bits (united over the operators)
    QList<QPair<qint32, qint32>> validity; // cardNameID, longest maxValidity
    QList<qint32> functions;
    int tablePos = -1, validityPos = -1, functionPos = -1;
    bool tablesFresh = false, validityFresh = false, functionsFresh = false;
};

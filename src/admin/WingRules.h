#pragma once

#include <QString>
#include <QtGlobal>

// What a wing number stands for, free of widgets and the database.

// A wing number of one digit p1 covers the rooms p1 0000 to p1 9999, one of two digits p1 p2 the
// rooms p1 p2 000 to p1 p2 999. The second prefix is -1 for a one-digit number; both are -1 for
// none, which covers no rooms.
struct WingNumber
{
    qint32 prefix1 = -1;
    qint32 prefix2 = -1;
    qint32 first = 0; // the door numbers covered, first to last
    qint32 last = -1;
    QString rangeText; // "12000 - 12999"; empty for none
    bool isEmpty() const { return prefix1 < 0; }
};

// The number typed in the wing dialog: one or two digits, or nothing (anything else is nothing).
WingNumber WingNumberFromText(const QString &digits);
// The number a stored wing row holds.
WingNumber WingNumberFromPrefixes(qint32 prefix1, qint32 prefix2);
// The typed form of a wing number: "1", "12", or empty.
QString WingNumberText(const WingNumber &number);

// Wing codes are upper-case letters A to Z.
bool IsWingCodeLetter(QChar c);

// The name of a guest door in a wing: the wing code and the number within the wing ("A345" for
// door 12345 in wing A 12).
QString WingDoorName(const QString &wingCode, const WingNumber &number, qint32 doorID);

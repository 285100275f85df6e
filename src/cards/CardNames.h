#pragma once

#include <QString>

class RecordDatabase;

// The name a card kind carries in the card names, or the number in parentheses when the kind has
// no name there: how a message names a kind no window shows.
QString CardKindName(RecordDatabase &db, qint32 cardNameID);

#include "cards/CardNames.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"

QString CardKindName(RecordDatabase &db, qint32 cardNameID)
{
    RecordTable names(db);
    names.SelectTable(TableId::CardNames);
    names.SetField(Field::cardNameID, cardNameID);
    names.FindRecord();
    if (names.Status() == RecordStatus::Ok) {
        const QString found = names.GetField(Field::cardName).toString();
        if (!found.isEmpty())
            return found;
    }
    return QStringLiteral("(%1)").arg(cardNameID);
}

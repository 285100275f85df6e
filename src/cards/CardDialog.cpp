#include "cards/CardDialog.h"

#include "session/Workstation.h"

bool IsCardDialogAvailable(Workstation &ws, qint32 cardNameID, std::initializer_list<qint32> tables, bool confirm,
                           QWidget *parent)
{
    if (!ws.authority.EnsureLogon(confirm))
        return false;
    bool allowed = ws.authority.MayIssueCardKind(cardNameID);
    for (qint32 table : tables)
        allowed = allowed && ws.authority.HasRight(table, 1);
    if (!allowed)
        ws.messages->error(-31143, {}, {}, parent);
    return allowed;
}

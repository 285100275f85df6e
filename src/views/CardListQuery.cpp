#include "views/CardListQuery.h"

#include "core/OleDate.h"

namespace {

QString statusClause(qint32 group)
{
    switch (group) {
    // A record not yet issued may be out there: it is a current card until it is cancelled.
    case 1:
        return QStringLiteral("status in(1,2,3,8)");
    case 2:
        return QStringLiteral("status in(0,4,5)");
    default:
        return QStringLiteral("status in(0,1,2,3,4,5,8,9)");
    }
}

} // namespace

CardListQuery buildCardListQuery(const CardSearchFilters &f)
{
    CardListQuery q;
    q.where = QStringLiteral("issueTime >= ? and issueTime <= ? and startTime >= ? and startTime <= ? and "
                             "expireTime >= ? and expireTime <= ? and registrationNumber >= ? and "
                             "registrationNumber <= ? and mainGuestRoom >= ? and mainGuestRoom <= ?");
    q.where += QStringLiteral(" and ") + statusClause(f.statusGroup);
    q.parameters = {f.issueFrom,        f.issueTo + OleDate::kEndOfDay,
                    f.startFrom,        f.startTo + OleDate::kEndOfDay,
                    f.expiryFrom,       f.expiryTo + OleDate::kEndOfDay,
                    f.registrationFrom, f.registrationTo,
                    f.roomFrom,         f.roomTo};

    const std::pair<const char *, const QString *> texts[] = {{"alphaID", &f.alphaID},
                                                              {"surname", &f.surname},
                                                              {"firstname", &f.firstname},
                                                              {"issueOperatorAlphaID", &f.issuedBy}};
    for (const auto &[field, text] : texts) {
        if (text->isEmpty())
            continue;
        q.where += QStringLiteral(" and ") + QLatin1String(field) + QStringLiteral(" like ?");
        q.parameters << *text + QLatin1Char('%');
    }

    if (f.kindFilterActive) {
        QStringList kinds;
        for (int i = 0; i < CardSearchFilters::kKindCount; ++i)
            if (f.kinds.test(static_cast<size_t>(i)))
                kinds << QString::number(CardSearchFilters::kFirstKind + i);
        q.where += QStringLiteral(" and cardNameID in(") + kinds.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return q;
}

#include "views/CardListQuery.h"

#include "core/OleDate.h"

#include <QDate>
#include <QDateTime>

namespace {

double toOle(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return OleDate::fromDate(value.toDate());
    case QMetaType::QDateTime:
        return OleDate::fromDateTime(value.toDateTime());
    default:
        return value.toDouble();
    }
}

QString statusClause(qint32 group)
{
    switch (group) {
    case 1:
        return QStringLiteral("status in(1,2,3)");
    case 2:
        return QStringLiteral("status in(0,4,5)");
    default:
        return QStringLiteral("status >= 0 and status <= 5");
    }
}

} // namespace

bool CardSearchFilters::setValues(const QVariantList &v)
{
    if (v.size() != kValueCount)
        return false;
    alphaID = v.at(0).toString();
    surname = v.at(1).toString();
    firstname = v.at(2).toString();
    statusGroup = v.at(3).toInt();
    issueFrom = toOle(v.at(4));
    issueTo = toOle(v.at(5));
    startFrom = toOle(v.at(6));
    startTo = toOle(v.at(7));
    expiryFrom = toOle(v.at(8));
    expiryTo = toOle(v.at(9));
    registrationFrom = v.at(10).toInt();
    registrationTo = v.at(11).toInt();
    issuedBy = v.at(12).toString();
    doorID = v.at(13).toInt();
    intervalStart = v.at(14).toInt();
    intervalStop = v.at(15).toInt();
    roomFrom = v.at(16).toInt();
    roomTo = v.at(17).toInt();
    return true;
}

QVariantList CardSearchFilters::values() const
{
    return {alphaID,   surname, firstname,     statusGroup,  issueFrom,        issueTo,
            startFrom, startTo, expiryFrom,    expiryTo,     registrationFrom, registrationTo,
            issuedBy,  doorID,  intervalStart, intervalStop, roomFrom,         roomTo};
}

bool CardSearchFilters::hasKind(qint32 cardNameID) const
{
    const qint32 i = cardNameID - kFirstKind;
    return i >= 0 && i < kKindCount && kinds.test(static_cast<size_t>(i));
}

void CardSearchFilters::setKind(qint32 cardNameID, bool on)
{
    const qint32 i = cardNameID - kFirstKind;
    if (i >= 0 && i < kKindCount)
        kinds.set(static_cast<size_t>(i), on);
}

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

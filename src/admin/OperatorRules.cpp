#include "admin/OperatorRules.h"

namespace {

constexpr int16_t kPasswordMissing = -29804;
constexpr int16_t kPasswordsDiffer = -29803;
constexpr int16_t kPasswordShort = -29802;
constexpr qint32 kWrite = 2;
constexpr qint32 kEdit = 4;
constexpr qint32 kDelete = 8;

} // namespace

PasswordRules PasswordRulesOf(int32_t pinMinLength, bool pinMandatory)
{
    // The parameter keeps 4 for anything outside 4 to 8; a row edited by hand is read the same way.
    return {pinMinLength < 4 || pinMinLength > 8 ? 4 : int(pinMinLength), pinMandatory};
}

PasswordCheck CheckPassword(const QString &typed, const QString &repeated, const PasswordRules &rules, bool hasPassword)
{
    if (typed.isEmpty() && repeated.isEmpty()) {
        if (rules.mandatory && !hasPassword)
            return {kPasswordMissing, {}, false};
        return {};
    }
    if (typed != repeated)
        return {kPasswordsDiffer, {}, false};
    if (typed.size() < rules.minLength)
        return {kPasswordShort, {rules.minLength}, false};
    return {0, {}, true};
}

OperatorRights OperatorRightsOf(qint32 operators, qint32 passwords, bool stored, bool hasPassword)
{
    OperatorRights rights;
    rights.save = !stored && (operators & kWrite);
    rights.update = stored && (operators & kEdit);
    rights.password = (rights.save || rights.update) && (passwords & (hasPassword ? kEdit : kWrite));
    rights.remove = stored && (operators & kDelete) && (!hasPassword || (passwords & kDelete));
    return rights;
}

#include "admin/OptionsRules.h"

#include "cards/Track2.h"
#include "settings/SystemSettings.h"

#include <functional>

namespace {

using P = clsSystemParams;

bool numberWithin(const QString &text, int32_t low, int32_t high)
{
    bool ok = false;
    const int32_t value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

bool isClockTime(const QString &text)
{
    return SystemSettings::ParseClock(text).has_value();
}

struct Check
{
    P::Key key;
    int16_t message;
    std::function<bool(const QString &entered, const QString &stored)> accepts;
};

} // namespace

std::optional<SettingsRefusal> CheckSettings(const QHash<P::Key, QString> &entered,
                                             const QHash<P::Key, QString> &stored)
{
    const auto template2 = [](const QString &text, const QString &before) {
        return text == before || Track2::IsValidTemplate(text);
    };
    const Check checks[] = {
        {P::MaxInactiveTimeKey, -31157, [](const QString &t, const QString &) { return numberWithin(t, 1, 1440); }},
        {P::PurgeLimitKey, -31161, [](const QString &t, const QString &) { return numberWithin(t, 30, INT32_MAX); }},
        {P::CathStartTimeKey, -31160, [](const QString &t, const QString &) { return isClockTime(t); }},
        {P::NormalCheckOutKey, -31169, [](const QString &t, const QString &) { return isClockTime(t); }},
        {P::NormalCheckInKey, -31170, [](const QString &t, const QString &) { return isClockTime(t); }},
        {P::DefaultStayKey, -31147, [](const QString &t, const QString &) { return numberWithin(t, 1, 512); }},
        {P::Track2StringKey, -31162, template2},
        {P::Track2StringStaffKey, -31162, template2},
    };
    for (const Check &check : checks) {
        if (!check.accepts(entered.value(check.key), stored.value(check.key)))
            return SettingsRefusal{check.key, check.message};
    }
    return std::nullopt;
}

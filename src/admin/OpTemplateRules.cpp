#include "admin/OpTemplateRules.h"

namespace {

constexpr int16_t kOwnTemplate = -31115;
constexpr int16_t kNotAllowed = -31143;

} // namespace

int16_t TemplateChangeRefusal(qint32 ownTemplate, qint32 editedTemplate)
{
    if (ownTemplate == editedTemplate)
        return kOwnTemplate;
    if (ownTemplate >= kLowestRankTemplate && editedTemplate < kLowestRankTemplate)
        return kNotAllowed;
    return 0;
}

bool SameTemplateName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

ValidityParts SplitValidity(qint32 minutes)
{
    if (minutes < 0)
        minutes = 0;
    return {minutes / 1440, minutes % 1440 / 60, minutes % 60};
}

qint32 JoinValidity(const ValidityParts &parts)
{
    return parts.days * 1440 + parts.hours * 60 + parts.minutes;
}

#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>

// The rules that guard operator templates, free of windows and of the database.

// Templates numbered from here on belong to the lowest rank: their operators may not change the
// templates below it.
inline constexpr qint32 kLowestRankTemplate = 1000;
// The reference template that decides whether a denied command is shown greyed.
inline constexpr qint32 kReferenceTemplate = 1;

// Why an operator of ownTemplate may not change (or remove) editedTemplate: 0 when he may,
// -31115 for his own template (nobody widens his own rights), -31143 for a template of a higher
// rank.
int16_t TemplateChangeRefusal(qint32 ownTemplate, qint32 editedTemplate);

// Template names are told apart without regard to case or surrounding blanks, so that two
// templates never differ only in the way their names are written.
bool SameTemplateName(const QString &a, const QString &b);

// A validity in minutes as days, hours and minutes, and back.
struct ValidityParts
{
    qint32 days = 0;
    qint32 hours = 0;
    qint32 minutes = 0;
};
ValidityParts SplitValidity(qint32 minutes);
qint32 JoinValidity(const ValidityParts &parts);
// The longest validity the validity dialog accepts: 9999 days.
inline constexpr qint32 kMaxValidityDays = 9999;

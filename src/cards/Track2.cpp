#include "cards/Track2.h"

#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QStringList>

namespace Track2 {

QString BuildTrack2(const QString &templateText, const Counters &stored, const CounterPrompt &prompt)
{
    const struct
    {
        QChar letter;
        int32_t value;
    } counters[] = {{QLatin1Char('P'), stored.p}, {QLatin1Char('S'), stored.s}, {QLatin1Char('V'), stored.v}};

    QStringList parts;
    for (const auto &counter : counters) {
        if (!templateText.contains(counter.letter))
            continue;
        int32_t value = counter.value;
        const QString answer = prompt(counter.letter, counter.value);
        if (!answer.isEmpty()) {
            bool ok = false;
            const int32_t typed = answer.toInt(&ok);
            // The box takes eight digits at most, so only a foreign prompt can give a non-number.
            if (ok)
                value = typed;
        }
        parts << QString(counter.letter) + QLatin1Char('=') + QString::number(value);
    }
    if (parts.isEmpty())
        return templateText;
    return parts.join(QLatin1Char(',')) + QLatin1Char('|') + templateText;
}

QString BuildTrack2(bool guestSide, const clsSystemParams &params, const CounterPrompt &prompt)
{
    const Counters stored{params.Track2CounterP(), params.Track2CounterS(), params.Track2CounterV()};
    return BuildTrack2(guestSide ? params.Track2String() : params.Track2StringStaff(), stored, prompt);
}

bool IsValidTemplate(const QString &templateText)
{
    static const char *const tooLong[] = {"YYY",       "MMM",       "NNN",       "KKK",       "TTT", "RRRRRR",
                                          "PPPPPPPPP", "SSSSSSSSS", "VVVVVVVVV", "UUUUUUUUU", "QQ",  "XXX"};
    for (const char *run : tooLong) {
        if (templateText.contains(QLatin1String(run)))
            return false;
    }
    // A year, month or night field needs its second letter after the first one.
    for (const QChar letter : {QLatin1Char('Y'), QLatin1Char('M'), QLatin1Char('N')}) {
        const qsizetype first = templateText.indexOf(letter);
        if (first >= 0 && templateText.indexOf(letter, first + 1) < 0)
            return false;
    }
    return true;
}

bool IsTemplateCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           QStringLiteral("YMNKTRPSVUQX").contains(c);
}

} // namespace Track2

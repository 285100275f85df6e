#pragma once

#include <QChar>
#include <QString>

#include <cstdint>
#include <functional>

class clsSystemParams;

// The track-2 request a card carries in its `track2` field: the template, preceded by the
// counters P, S and V the operator confirmed when the template uses them. The card server
// expands it; the client only validates the template and collects the counters.
namespace Track2 {

// The template the settings dialog offers as standard; it uses no counter.
inline const QString StandardTemplate = QStringLiteral("97522035000RRRRXNNTDYYMM6012345");

struct Counters
{
    int32_t p = 0;
    int32_t s = 0;
    int32_t v = 0;
};

// Asks for one counter, offering its stored value; an empty answer (or a cancelled box) keeps it.
using CounterPrompt = std::function<QString(QChar letter, int32_t storedValue)>;

// The `track2` value of one issuing run for the given template.
QString BuildTrack2(const QString &templateText, const Counters &stored, const CounterPrompt &prompt);

// The same with the guest-side (true) or staff template and the counters of the system parameters.
QString BuildTrack2(bool guestSide, const clsSystemParams &params, const CounterPrompt &prompt);

// True when the settings dialog may save the template: no field longer than its letter allows,
// and Y, M and N fields, when present, at least two long somewhere.
bool IsValidTemplate(const QString &templateText);

// The keys a template box accepts besides control keys.
bool IsTemplateCharacter(QChar c);

} // namespace Track2

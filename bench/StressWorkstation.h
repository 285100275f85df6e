#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

class TextResources;

// One workstation of bench_workstations, run in a process of its own: an issuer issues guest cards
// through CardsIntf on its encoder as the card dialogs do; a saver saves system parameters as the
// settings window does. Each prints one RESULT line (and ERROR lines) the parent parses.
namespace StressWorkstation {

// The operator every workstation logs on as.
inline constexpr const char *kOperator = "STRESS";
inline constexpr const char *kPassword = "stress-only";
// Rooms of issuer i: kRoomsPerIssuer rooms from roomBase(i).
inline constexpr int kRoomsPerIssuer = 10;
inline qint32 roomBase(int issuer)
{
    return (issuer + 1) * 100 + 1;
}
// Tries per card: a failed card is encoded again, as the operator would.
inline constexpr int kTriesPerCard = 5;

struct IssuerSetup
{
    QString connection;
    QString computer;
    QString deviceDirectory;
    qint32 device = 0;
    int index = 0; // picks the rooms
    int cards = 0;
    int pollMs = 1;
};

struct SaverSetup
{
    QString connection;
    QString computer;
    int index = 0; // picks the saver's own parameter
    int saves = 0;
    int pauseMs = 0; // between saves, so the saves spread over the issuing
};

// The parameters the savers change: keys of their own change flag, none read while issuing.
QStringList ownParameterKeys();
// What saver `index` writes in save `round`: its own key's value, and the printer note, which every
// saver changes. The note is one setting kept in three rows: a save that is not all-or-nothing can
// leave pieces of two saves.
qint32 ownValue(int index, int round);
QString sharedNote(int index, int round);

// Runs the workstation; the process's exit code.
int runIssuer(const IssuerSetup &setup);
int runSaver(const SaverSetup &setup, const TextResources &texts);

// The RESULT line of a workstation, as the parent reads it back.
struct Result
{
    bool valid = false;
    QMap<QString, QString> values; // key=value pairs of the RESULT line
    QStringList errors;            // the ERROR lines
    qint64 number(const QString &key) const { return values.value(key).toLongLong(); }
    double real(const QString &key) const { return values.value(key).toDouble(); }
};
Result parseResult(const QByteArray &output);

} // namespace StressWorkstation

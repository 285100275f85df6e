#pragma once

#include <QStringList>
#include <QTextStream>

// ostrelle-encoder: the front panel of the virtual encoder and handheld unit. Works on the device
// folders only, never on the database (docs/card-server.md).
namespace EncoderTool {

enum Result { Success = 0, Failed = 1, Usage = 2 };

// args without the program name; deviceDirectory is where device folders are looked for unless
// --dir names another.
int run(const QStringList &args, const QString &deviceDirectory, QTextStream &out, QTextStream &err);

// The human-readable form of a card image ("show").
QString describeCard(const QByteArray &bytes);

} // namespace EncoderTool

#pragma once

#include <QLocale>
#include <QString>

// The locale's short time format without its seconds (some locales' short form carries them,
// the program never shows them).
QString ShortTimeFormat(const QLocale &locale = QLocale());

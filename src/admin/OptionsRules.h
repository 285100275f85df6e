#pragma once

#include "settings/clsSystemParams.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>

// What the settings window refuses on OK. The checks run in the order of the system parameters;
// the first that fails names the setting, whose control gets the focus, and the message to show.
struct SettingsRefusal
{
    clsSystemParams::Key key;
    int16_t message;
};

// entered: the text of each typed box (numbers, clock times, templates) by its setting;
// stored: the templates as loaded. A template is checked only when it was changed.
std::optional<SettingsRefusal> CheckSettings(const QHash<clsSystemParams::Key, QString> &entered,
                                             const QHash<clsSystemParams::Key, QString> &stored);

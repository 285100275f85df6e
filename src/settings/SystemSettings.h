#pragma once

#include "settings/clsSystemParams.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// How the settings window and the settings report present the system parameters: each setting's
// page, caption and kind of control, in the order the parameters are loaded. Read only settings
// are listed for the report only.
namespace SystemSettings {

// The pages, grouped the way a hotel sets itself up.
enum class Page { Property, Cards, Staff, Logon, Rooms, Track2, Database, Interfaces, State };
inline constexpr int PageCount = 9;

enum class Control {
    Check,  // a check box
    Spin,   // a number within [minimum, maximum]
    Digits, // a number typed as digits; its range is a rule of the window (message on OK)
    Clock,  // minutes after midnight, typed as hh:mm
    Text,   // free text of at most maxLength characters
    Track2, // a track-2 template
    Date,   // an OLE date, shown only
};

struct Entry
{
    clsSystemParams::Key key;
    Page page;
    Control control;
    const char *property; // the property's name; the control is named after it
    int16_t caption;      // a caption with %s gets the 1-based index of an indexed property
    int32_t minimum = 0;
    int32_t maximum = 0; // Spin: the range; Text and Digits: the length
    int index = -1;      // of an indexed property (0-based), -1 for others
};

const QList<Entry> &Entries();
int16_t PageCaption(Page page);
// The caption of an entry, with the index of an indexed property filled in.
QString Caption(const Entry &entry);
// "chk" + property for check boxes, "txt" + property for the others.
QString ControlName(const Entry &entry);

// A clock time as the window shows it (hh:mm) and back; "" or no time of day reads nullopt.
QString ClockText(int32_t minutes);
std::optional<int32_t> ParseClock(const QString &text);

} // namespace SystemSettings

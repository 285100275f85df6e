#include "settings/clsLocalParams.h"

#include "platform/Registry.h"

namespace {

const QString kGridSettingsKey = QStringLiteral("Software\\Veltrix\\Portcullis\\Settings");
const QString kDbServerSettingsKey = QStringLiteral("Software\\Veltrix\\DBServer\\Settings");
const QString kAppServerSettingsKey = QStringLiteral("Software\\Veltrix\\AppServer\\Settings");
const QString kOdbcSourceName = QStringLiteral("ODBC Source");

enum class Kind { Device, Number, Flag, Text };

struct Row
{
    const char *valueName;
    const QString *key;
    Kind kind;
    int32_t defaultNumber; // texts all default to ""
};

// Indexed by clsLocalParams::Property.
const Row kRows[clsLocalParams::PropertyCount] = {
    {"nMCEncoder", &kSettingsKey, Kind::Device, 0},
    {"nSCEncoder", &kSettingsKey, Kind::Device, 0},
    {"nHCU", &kSettingsKey, Kind::Device, 0},
    {"ShowDoorDetails", &kGridSettingsKey, Kind::Flag, 0},
    {"DisplayMonochrome", &kGridSettingsKey, Kind::Flag, 0},
    {"sInitialDir", &kSettingsKey, Kind::Text, 0},
    {"fRememberUserID", &kSettingsKey, Kind::Flag, -1},
    {"nPrinterHeight", &kSettingsKey, Kind::Number, 0},
    {"ODBC Source", &kSettingsKey, Kind::Text, 0},
    {"fLockNav", &kSettingsKey, Kind::Flag, -1},
    {"fLaunchNav", &kSettingsKey, Kind::Flag, -1},
    {"fToolbar", &kSettingsKey, Kind::Flag, -1},
    {"fStatusbar", &kSettingsKey, Kind::Flag, -1},
    {"nMainState", &kSettingsKey, Kind::Number, 0},
    {"Server", &kAppServerSettingsKey, Kind::Text, 0},
    {"sWingCode", &kSettingsKey, Kind::Text, 0},
};

constexpr int32_t kMinimised = 1;

} // namespace

clsLocalParams::clsLocalParams(Registry &registry) : m_registry(registry)
{
    for (int p = 0; p < PropertyCount; ++p)
        m_values[p].number = kRows[p].defaultNumber;
}

void clsLocalParams::setNumber(Property property, int32_t value)
{
    if (m_values[property].number == value)
        return;
    m_values[property].number = value;
    markChanged(property);
}

void clsLocalParams::setFlag(Property property, bool value)
{
    // Any non-zero value reads as true, so compare truth rather than the stored number.
    if ((m_values[property].number != 0) == value)
        return;
    m_values[property].number = value ? -1 : 0;
    markChanged(property);
}

void clsLocalParams::setText(Property property, const QString &value)
{
    if (m_values[property].text == value)
        return;
    m_values[property].text = value;
    markChanged(property);
}

void clsLocalParams::setODBCSource(const QString &value)
{
    if (value != m_values[ODBCSourceProperty].text)
        m_odbcSourceMissing = false;
    setText(ODBCSourceProperty, value);
}

void clsLocalParams::markChanged(Property property)
{
    m_changed[property] = true;
    m_anyChanged = true;
}

void clsLocalParams::ReadLocalParameters()
{
    bool odbcSourceFound = false;
    for (int p = 0; p < PropertyCount; ++p) {
        const auto property = static_cast<Property>(p);
        const Row &row = kRows[p];
        const QString name = QString::fromLatin1(row.valueName);
        Value &value = m_values[p];
        if (row.kind == Kind::Text) {
            const bool found = m_registry.ReadString(name, value.text, *row.key);
            if (!found) {
                value.text.clear();
                markChanged(property);
            }
            if (property == ODBCSourceProperty)
                odbcSourceFound = found;
        } else {
            int32_t number = 0;
            if (m_registry.ReadLong(name, number, *row.key)) {
                value.number = row.kind == Kind::Flag ? (number != 0 ? -1 : 0) : number;
            } else {
                value.number = row.kind == Kind::Device ? 0 : row.defaultNumber;
                if (row.kind != Kind::Device)
                    markChanged(property);
            }
        }
    }

    // The workstation's "ODBC Source" is the master copy; the database server's key follows it.
    m_odbcSourceMissing = !odbcSourceFound;
    if (odbcSourceFound) {
        QString serverValue;
        if (!m_registry.ReadString(kOdbcSourceName, serverValue, kDbServerSettingsKey) ||
            serverValue != m_values[ODBCSourceProperty].text)
            markChanged(ODBCSourceProperty);
    }

    // A main frame closed while minimised starts normal.
    if (WindowState() == kMinimised)
        setWindowState(0);

    WriteLocalParameters();
}

bool clsLocalParams::writeProperty(Property property)
{
    const Row &row = kRows[property];
    const QString name = QString::fromLatin1(row.valueName);
    const Value &value = m_values[property];
    if (property == ODBCSourceProperty) {
        // A workstation without a source of its own must not wipe the one the database server
        // was installed with; an empty value is stored only where the server has none yet.
        if (m_odbcSourceMissing && value.text.isEmpty()) {
            QString serverValue;
            if (m_registry.ReadString(kOdbcSourceName, serverValue, kDbServerSettingsKey))
                return true;
        }
        return m_registry.WriteString(name, value.text, kDbServerSettingsKey);
    }
    switch (row.kind) {
    case Kind::Text:
        return m_registry.WriteString(name, value.text, *row.key);
    case Kind::Flag:
        return m_registry.WriteLong(name, value.number != 0 ? -1 : 0, *row.key);
    case Kind::Device:
    case Kind::Number:
        break;
    }
    return m_registry.WriteLong(name, value.number, *row.key);
}

bool clsLocalParams::WriteLocalParameters()
{
    if (m_anyChanged) {
        for (int p = 0; p < PropertyCount; ++p) {
            if (m_changed[p] && !writeProperty(static_cast<Property>(p)))
                return false;
        }
    }
    m_changed.fill(false);
    m_anyChanged = false;
    return true;
}

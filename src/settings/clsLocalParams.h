#pragma once

#include <QString>

#include <array>
#include <cstdint>

class Registry;

// The workstation's own settings, kept in the registry of this computer. Setters track changes
// so that WriteLocalParameters stores only what differs from what was read.
class clsLocalParams
{
public:
    // One entry per property, in the order they are read and written.
    enum Property {
        MagCardEncoderIDProperty,
        SmartCardEncoderIDProperty,
        HCUIDProperty,
        DoorDetailsInGridProperty,
        MonochromeInGridProperty,
        InitialDirectoryProperty,
        RememberUserIDProperty,
        PrinterHeightProperty,
        ODBCSourceProperty,
        AlwaysShowNavWindowProperty,
        AutoLaunchNavWindowProperty,
        ShowToolbarProperty,
        ShowStatusbarProperty,
        WindowStateProperty,
        ServerProperty,
        WingCodeProperty,
        PropertyCount
    };

    explicit clsLocalParams(Registry &registry);

    int32_t MagCardEncoderID() const { return m_values[MagCardEncoderIDProperty].number; }
    void setMagCardEncoderID(int32_t value) { setNumber(MagCardEncoderIDProperty, value); }
    int32_t SmartCardEncoderID() const { return m_values[SmartCardEncoderIDProperty].number; }
    void setSmartCardEncoderID(int32_t value) { setNumber(SmartCardEncoderIDProperty, value); }
    int32_t HCUID() const { return m_values[HCUIDProperty].number; }
    void setHCUID(int32_t value) { setNumber(HCUIDProperty, value); }
    bool DoorDetailsInGrid() const { return m_values[DoorDetailsInGridProperty].number != 0; }
    void setDoorDetailsInGrid(bool value) { setFlag(DoorDetailsInGridProperty, value); }
    bool MonochromeInGrid() const { return m_values[MonochromeInGridProperty].number != 0; }
    void setMonochromeInGrid(bool value) { setFlag(MonochromeInGridProperty, value); }
    QString InitialDirectory() const { return m_values[InitialDirectoryProperty].text; }
    void setInitialDirectory(const QString &value) { setText(InitialDirectoryProperty, value); }
    bool RememberUserID() const { return m_values[RememberUserIDProperty].number != 0; }
    void setRememberUserID(bool value) { setFlag(RememberUserIDProperty, value); }
    int32_t PrinterHeight() const { return m_values[PrinterHeightProperty].number; }
    void setPrinterHeight(int32_t value) { setNumber(PrinterHeightProperty, value); }
    QString ODBCSource() const { return m_values[ODBCSourceProperty].text; }
    void setODBCSource(const QString &value);
    bool AlwaysShowNavWindow() const { return m_values[AlwaysShowNavWindowProperty].number != 0; }
    void setAlwaysShowNavWindow(bool value) { setFlag(AlwaysShowNavWindowProperty, value); }
    bool AutoLaunchNavWindow() const { return m_values[AutoLaunchNavWindowProperty].number != 0; }
    void setAutoLaunchNavWindow(bool value) { setFlag(AutoLaunchNavWindowProperty, value); }
    bool ShowToolbar() const { return m_values[ShowToolbarProperty].number != 0; }
    void setShowToolbar(bool value) { setFlag(ShowToolbarProperty, value); }
    bool ShowStatusbar() const { return m_values[ShowStatusbarProperty].number != 0; }
    void setShowStatusbar(bool value) { setFlag(ShowStatusbarProperty, value); }
    int32_t WindowState() const { return m_values[WindowStateProperty].number; }
    void setWindowState(int32_t value) { setNumber(WindowStateProperty, value); }
    QString Server() const { return m_values[ServerProperty].text; }
    void setServer(const QString &value) { setText(ServerProperty, value); }
    QString WingCode() const { return m_values[WingCodeProperty].text; }
    void setWingCode(const QString &value) { setText(WingCodeProperty, value); }

    // Reads every setting, takes the default of each missing one and stores those defaults.
    void ReadLocalParameters();
    // Writes every changed setting; false at the first failed write, with all flags kept.
    bool WriteLocalParameters();

    bool isChanged(Property property) const { return m_changed[property]; }
    bool anyChanged() const { return m_anyChanged; }

private:
    struct Value
    {
        int32_t number = 0; // numbers, and flags as 0 / non-zero
        QString text;
    };

    void setNumber(Property property, int32_t value);
    void setFlag(Property property, bool value);
    void setText(Property property, const QString &value);
    void markChanged(Property property);
    bool writeProperty(Property property);

    Registry &m_registry;
    std::array<Value, PropertyCount> m_values;
    std::array<bool, PropertyCount> m_changed{};
    bool m_anyChanged = false;
    // The workstation had no "ODBC Source" of its own: the database server's value is kept.
    bool m_odbcSourceMissing = false;
};

#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class RecordDatabase;
class RecordTable;
class clsLocalParams;

// Picks the workstation's card encoder and handheld unit among the devices of the installation.
// Callers set both properties, show the dialog modally and read both back; OK takes the chosen
// devices, Cancel (and Esc) the values the dialog was opened with.
class frmEncoderSetup : public QDialog
{
    Q_OBJECT
public:
    // Device types in the Devices table.
    static constexpr int32_t EncoderType = 0;
    static constexpr int32_t HandheldType = 2;

    explicit frmEncoderSetup(RecordDatabase &db, QWidget *parent = nullptr);
    ~frmEncoderSetup() override;

    int32_t MagCardEncoderID() const { return m_encoderID; }
    void setMagCardEncoderID(int32_t deviceID);
    int32_t HCUID() const { return m_hcuID; }
    void setHCUID(int32_t deviceID);

    void accept() override; // cmdOK
    void reject() override; // cmdCancel

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill(QComboBox *list, int32_t deviceType);
    void applyListWidth();
    void layOut(int listWidthTwips);

    std::unique_ptr<RecordTable> m_devices;
    int32_t m_encoderID = 0;
    int32_t m_hcuID = 0;
    int32_t m_loadedEncoderID = 0;
    int32_t m_loadedHcuID = 0;
    bool m_loaded = false;

    QGroupBox *m_fraMCEncoder;
    QGroupBox *m_fraHCU;
    QLabel *m_lblMCEncoder;
    QLabel *m_lblHCU;
    QComboBox *m_cboMCEncoder;
    QComboBox *m_cboHCU;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

// The dialog as the program opens it: preset from the workstation settings, and the chosen
// devices put back into them when it closes (the caller writes them with WriteLocalParameters).
frmEncoderSetup *CreateEncoderSetup(RecordDatabase &db, clsLocalParams &params, QWidget *parent = nullptr);

// Shows the dialog modally, stores the chosen devices and writes the workstation settings.
void RunEncoderSetup(RecordDatabase &db, clsLocalParams &params, QWidget *parent = nullptr);

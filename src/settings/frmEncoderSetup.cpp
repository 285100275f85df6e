#include "settings/frmEncoderSetup.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "settings/clsLocalParams.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

// Layout in twips, as the window was drawn; the lists and everything beside them follow the
// list width.
constexpr int kDefaultListWidth = 3015;
constexpr int kDialogExtraWidth = 2130; // dialog width beyond the lists
constexpr int kFrameInset = 240;        // frames: the dialog's inner width less this
constexpr int kMargin = 120;
constexpr int kFrameHeight = 840;
constexpr int kListHeight = 315;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int16_t kNoDevice = 21104;

int32_t itemData(const QComboBox *list)
{
    return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
}

void selectByData(QComboBox *list, int32_t value)
{
    list->setCurrentIndex(list->findData(value));
}

} // namespace

frmEncoderSetup::frmEncoderSetup(RecordDatabase &db, QWidget *parent)
    : QDialog(parent), m_devices(std::make_unique<RecordTable>(db)), m_fraMCEncoder(new QGroupBox(this)),
      m_fraHCU(new QGroupBox(this)), m_lblMCEncoder(new QLabel(m_fraMCEncoder)), m_lblHCU(new QLabel(m_fraHCU)),
      m_cboMCEncoder(new QComboBox(m_fraMCEncoder)), m_cboHCU(new QComboBox(m_fraHCU)), m_cmdOK(new QPushButton(this)),
      m_cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmEncoderSetup"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("28100"));
    m_fraMCEncoder->setObjectName(QStringLiteral("fraMCEncoder"));
    m_fraMCEncoder->setTitle(QStringLiteral("28101"));
    m_fraHCU->setObjectName(QStringLiteral("fraHCU"));
    m_fraHCU->setTitle(QStringLiteral("28102"));
    m_lblMCEncoder->setObjectName(QStringLiteral("lblMCEncoder"));
    m_lblMCEncoder->setText(QStringLiteral("28103"));
    m_lblHCU->setObjectName(QStringLiteral("lblHCU"));
    m_lblHCU->setText(QStringLiteral("28103"));
    m_cboMCEncoder->setObjectName(QStringLiteral("cboMCEncoder"));
    m_cboHCU->setObjectName(QStringLiteral("cboHCU"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setText(QStringLiteral("17000"));
    m_cmdOK->setDefault(true);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setText(QStringLiteral("16118"));
    m_lblMCEncoder->setBuddy(m_cboMCEncoder);
    m_lblHCU->setBuddy(m_cboHCU);
    ApplyFormTexts(this);

    m_cboMCEncoder->installEventFilter(this);
    m_cboHCU->installEventFilter(this);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmEncoderSetup::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmEncoderSetup::reject);

    fill(m_cboMCEncoder, EncoderType);
    fill(m_cboHCU, HandheldType);
    applyListWidth();
}

frmEncoderSetup::~frmEncoderSetup() = default;

void frmEncoderSetup::setMagCardEncoderID(int32_t deviceID)
{
    m_encoderID = deviceID;
    selectByData(m_cboMCEncoder, deviceID);
}

void frmEncoderSetup::setHCUID(int32_t deviceID)
{
    m_hcuID = deviceID;
    selectByData(m_cboHCU, deviceID);
}

void frmEncoderSetup::accept()
{
    // A list without a selection (its device was removed meanwhile) keeps its value.
    if (m_cboMCEncoder->currentIndex() >= 0)
        m_encoderID = itemData(m_cboMCEncoder);
    if (m_cboHCU->currentIndex() >= 0)
        m_hcuID = itemData(m_cboHCU);
    QDialog::accept();
}

void frmEncoderSetup::reject()
{
    m_encoderID = m_loadedEncoderID;
    m_hcuID = m_loadedHcuID;
    QDialog::reject();
}

void frmEncoderSetup::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        selectByData(m_cboMCEncoder, m_encoderID);
        selectByData(m_cboHCU, m_hcuID);
        m_loadedEncoderID = m_encoderID;
        m_loadedHcuID = m_hcuID;
    }
    QDialog::showEvent(event);
}

bool frmEncoderSetup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_cboMCEncoder || watched == m_cboHCU)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool opens = key->key() == Qt::Key_Space || key->key() == Qt::Key_Down || key->key() == Qt::Key_Right;
        if (opens && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            static_cast<QComboBox *>(watched)->showPopup();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmEncoderSetup::fill(QComboBox *list, int32_t deviceType)
{
    RecordTable &devices = *m_devices;
    devices.SelectTable(TableId::Devices);
    devices.OpenQuery(QString(Field::deviceType) + QStringLiteral(" = ?"), QString(Field::deviceName));
    devices.AddParameter(deviceType);
    while (devices.Status() == RecordStatus::Ok) {
        const QString name = devices.GetField(Field::deviceName).toString();
        const int32_t id = devices.GetField(Field::deviceID).toInt();
        list->addItem(name, id);
        devices.MoveNext();
    }
    devices.CloseQuery();
    list->addItem(GetText(kNoDevice), 0);
}

void frmEncoderSetup::applyListWidth()
{
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QComboBox *list : {m_cboMCEncoder, m_cboHCU}) {
        for (int i = 0; i < list->count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)));
    }
    const int needed = pixelsToTwips(widest + metrics.horizontalAdvance(QStringLiteral("MMM")), twipsPerPixelX(this));
    layOut(needed > kDefaultListWidth ? needed : kDefaultListWidth);
}

void frmEncoderSetup::layOut(int listWidthTwips)
{
    const double px = twipsPerPixelX(this);
    const double py = twipsPerPixelY(this);
    const auto x = [px](int twips) { return twipsToPixels(twips, px); };
    const auto y = [py](int twips) { return twipsToPixels(twips, py); };

    const int dialogWidth = listWidthTwips + kDialogExtraWidth;
    const int frameWidth = dialogWidth - kFrameInset;
    const int listLeft = frameWidth - listWidthTwips - kMargin;
    int top = kMargin;
    for (QGroupBox *frame : {m_fraMCEncoder, m_fraHCU}) {
        frame->setGeometry(x(kMargin), y(top), x(frameWidth), y(kFrameHeight));
        top += kFrameHeight + kMargin;
    }
    for (QLabel *label : {m_lblMCEncoder, m_lblHCU})
        label->setGeometry(x(kMargin), y(405), x(listLeft - 2 * kMargin), y(kListHeight));
    for (QComboBox *list : {m_cboMCEncoder, m_cboHCU})
        list->setGeometry(x(listLeft), y(390), x(listWidthTwips), y(kListHeight));
    const int buttonTop = top + kMargin;
    const int cancelLeft = dialogWidth - kMargin - kButtonWidth;
    m_cmdCancel->setGeometry(x(cancelLeft), y(buttonTop), x(kButtonWidth), y(kButtonHeight));
    m_cmdOK->setGeometry(x(cancelLeft - kMargin - kButtonWidth), y(buttonTop), x(kButtonWidth), y(kButtonHeight));
    setFixedSize(x(dialogWidth), y(buttonTop + kButtonHeight + kMargin));
}

frmEncoderSetup *CreateEncoderSetup(RecordDatabase &db, clsLocalParams &params, QWidget *parent)
{
    auto *dialog = new frmEncoderSetup(db, parent);
    dialog->setMagCardEncoderID(params.MagCardEncoderID());
    dialog->setHCUID(params.HCUID());
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, &params]() {
        params.setMagCardEncoderID(dialog->MagCardEncoderID());
        params.setHCUID(dialog->HCUID());
    });
    return dialog;
}

void RunEncoderSetup(RecordDatabase &db, clsLocalParams &params, QWidget *parent)
{
    std::unique_ptr<frmEncoderSetup> dialog(CreateEncoderSetup(db, params, parent));
    dialog->exec();
    params.WriteLocalParameters();
}

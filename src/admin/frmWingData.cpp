#include "admin/frmWingData.h"

#include "admin/OpenWindows.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

constexpr int kWindowNumber = 44;
constexpr int16_t kCaption = 29505;

QLabel *label(QWidget *parent, const char *name, int16_t text)
{
    auto *l = new QLabel(GetText(text), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &pattern)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (!pattern.isEmpty())
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    return edit;
}

} // namespace

frmWingData::frmWingData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : MasterDataDialog("frmWingData", kWindowNumber, TableId::Wings, program, session, parent), m_db(db),
      m_store(*db.database), m_txtWingCode(lineEdit(this, "txtWingCode", QStringLiteral("[A-Z]*"))),
      m_txtNumber(lineEdit(this, "txtNumber", QStringLiteral("[0-9]{0,2}"))),
      m_txtInterval(lineEdit(this, "txtInterval", QString()))
{
    m_txtInterval->setReadOnly(true);
    addField(label(this, "lblWingCode", 29506), m_txtWingCode);
    addField(label(this, "lblNumber", 29507), m_txtNumber);
    addField(label(this, "lblInterval", 29508), m_txtInterval);
    connect(m_txtWingCode, &QLineEdit::textChanged, this, [this] { setChanged(true); });
    connect(m_txtNumber, &QLineEdit::textChanged, this, [this](const QString &digits) {
        m_txtInterval->setText(WingNumberFromText(digits).rangeText);
        setChanged(true);
    });
    setWingCode(QString());
}

void frmWingData::setWingCode(const QString &wingCode)
{
    WingStore::Wing wing;
    if (!wingCode.isEmpty()) {
        if (const RecordResult loaded = m_store.load(wingCode, wing); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(4917, loaded));
            wing = {};
        }
    }
    m_code = wing.code;
    m_noteID = wing.noteID;
    m_txtWingCode->setText(wing.code);
    m_txtNumber->setText(WingNumberText(wing.number));
    setDescription(wing.note);
    // A wing that holds rooms keeps its code and number: the rooms are named after them.
    bool hasRooms = false;
    if (!m_code.isEmpty())
        m_store.hasGuestDoors(wing.number, hasRooms);
    m_txtWingCode->setEnabled(!hasRooms);
    m_txtNumber->setEnabled(!hasRooms);
    setWindowTitle(m_code.isEmpty() ? GetText(kCaption) : GetText(kCaption) + QStringLiteral(" - ") + m_code);
    setStored(!m_code.isEmpty());
    setChanged(false);
    (hasRooms ? static_cast<QWidget *>(this) : m_txtWingCode)->setFocus();
}

void frmWingData::NotifyRemove(const QString &wingCode)
{
    if (!m_code.isEmpty() && wingCode == m_code)
        UnloadWindow(this);
}

void frmWingData::Activate()
{
    activate();
    checkAuthority();
}

WingStore::Wing frmWingData::typed() const
{
    return {m_txtWingCode->text().trimmed(), WingNumberFromText(m_txtNumber->text().trimmed()), m_noteID,
            description()};
}

void frmWingData::focusField(SaveOutcome::Focus focus)
{
    if (focus == SaveOutcome::Focus::Code)
        m_txtWingCode->setFocus();
    else if (focus == SaveOutcome::Focus::Number)
        m_txtNumber->setFocus();
}

void frmWingData::refreshLists()
{
    for (ListWindow *list : OpenWindows<ListWindow>(this)) {
        if (WidgetOf(list)->objectName() == QLatin1String("frmWingList"))
            list->RefreshTableList();
    }
}

void frmWingData::saveRecord()
{
    WingStore::Wing wing = typed();
    if (!showOutcome(SaveNewWing(m_store, wing, m_session.frame.busy)))
        return;
    refreshLists();
    m_session.notify.NotifyDoorsRefresh();
    setWingCode(wing.code);
}

void frmWingData::updateRecord()
{
    WingStore::Wing wing = typed();
    if (!showOutcome(UpdateWing(m_store, m_code, wing)))
        return;
    refreshLists();
    setWingCode(wing.code);
}

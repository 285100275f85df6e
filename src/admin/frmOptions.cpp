#include "admin/frmOptions.h"

#include "admin/OpenWindows.h"
#include "admin/OptionsRules.h"
#include "cards/Track2.h"
#include "components/recordtable/TableDefs.h"
#include "session/Authority.h"
#include "session/Services.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using namespace SystemSettings;

constexpr int kWindowNumber = 46;
constexpr int16_t kCaption = 29300;
constexpr int16_t kStandard = 29400;
constexpr int16_t kReadOnlyReason = 29401;
constexpr int16_t kOK = 17000;
constexpr int16_t kCancel = 16118;
constexpr int16_t kNotLoaded = -31151;
constexpr int16_t kNotSaved = -29779;
constexpr int kSettingsFunction = 3;
constexpr int kConfirmWhenShared = 2;
const QString kWindowKey = QStringLiteral("dlgOptions");
constexpr int kNumberWidth = 80;         // pixels, as wide as the spin boxes
constexpr int32_t kDefaultWidth = 13200; // twips: every page tab shows
constexpr int32_t kDefaultHeight = 10800;

QLineEdit *typedBox(QWidget *parent, const QString &pattern, int maxLength)
{
    auto *box = new QLineEdit(parent);
    box->setMaxLength(maxLength);
    if (!pattern.isEmpty())
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), box));
    return box;
}

bool editable(const Entry &entry)
{
    return entry.page != Page::State && !clsSystemParams::isReadOnly(entry.key);
}

} // namespace

frmOptions::frmOptions(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_tabs(new QTabWidget(this)),
      m_lblReadOnly(new QLabel(GetText(kReadOnlyReason), this)), m_cmdOK(CommandButton(this, "cmdOK", kOK)),
      m_cmdCancel(CommandButton(this, "cmdCancel", kCancel)), m_cmdStandard(nullptr)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(GetText(kCaption));
    m_tabs->setObjectName(QStringLiteral("tabOptions"));
    m_lblReadOnly->setObjectName(QStringLiteral("lblReadOnly"));
    m_lblReadOnly->setWordWrap(true);

    QFormLayout *forms[PageCount] = {};
    for (int p = 0; p < PageCount; ++p) {
        if (static_cast<Page>(p) == Page::State)
            continue;
        auto *page = new QWidget(m_tabs);
        page->setObjectName(QStringLiteral("fraPage%1").arg(p));
        forms[p] = new QFormLayout(page);
        forms[p]->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
        m_tabs->addTab(page, GetText(PageCaption(static_cast<Page>(p))));
    }
    for (const Entry &entry : Entries()) {
        if (!editable(entry))
            continue;
        QFormLayout *form = forms[static_cast<int>(entry.page)];
        QWidget *control = makeControl(entry, form->parentWidget());
        m_controls.insert(entry.key, control);
        if (entry.control == Control::Check) {
            form->addRow(control);
            continue;
        }
        auto *label = new QLabel(Caption(entry), form->parentWidget());
        label->setObjectName(QStringLiteral("lbl") + ControlName(entry).mid(3));
        label->setBuddy(control);
        form->addRow(label, control);
        if (entry.key == clsSystemParams::Track2StringKey) {
            m_cmdStandard = CommandButton(form->parentWidget(), "cmdStandard", kStandard);
            form->addRow(QString(), m_cmdStandard);
        }
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lblReadOnly);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(program.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    if (m_cmdStandard) {
        auto *guestTemplate = static_cast<QLineEdit *>(m_controls.value(clsSystemParams::Track2StringKey));
        connect(m_cmdStandard, &QPushButton::clicked, this,
                [guestTemplate] { guestTemplate->setText(Track2::StandardTemplate); });
    }
    setReadOnly(!m_session.authority.HasFunction(kSettingsFunction));
}

frmOptions::~frmOptions()
{
    m_session.openDialogs.reset(kWindowNumber);
}

QWidget *frmOptions::makeControl(const Entry &entry, QWidget *page)
{
    QWidget *control = nullptr;
    switch (entry.control) {
    case Control::Check:
        control = new QCheckBox(Caption(entry), page);
        break;
    case Control::Spin: {
        auto *spin = new QSpinBox(page);
        spin->setRange(entry.minimum, entry.maximum);
        control = spin;
        break;
    }
    case Control::Digits:
        control = typedBox(page, QStringLiteral("[0-9]*"), entry.maximum);
        control->setMaximumWidth(kNumberWidth);
        break;
    case Control::Clock:
        control = typedBox(page, QStringLiteral("[0-9]{0,2}:?[0-9]{0,2}"), entry.maximum);
        control->setMaximumWidth(kNumberWidth);
        break;
    case Control::Text:
        control = typedBox(page, QString(), entry.maximum);
        break;
    case Control::Track2:
        // Only the template alphabet: hexadecimal digits and the placeholder letters.
        control = typedBox(page, QStringLiteral("[0-9A-FYMNKTRPSVUQX]*"), entry.maximum);
        break;
    case Control::Date:
        break;
    }
    control->setObjectName(ControlName(entry));
    return control;
}

bool frmOptions::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Parameters, this) && LoadSettings();
}

bool frmOptions::LoadSettings()
{
    clsSystemParams &params = *m_db.SystemParams;
    // Another workstation may have saved since the start: never show stale settings.
    if (!params.ReadSystemParameters()) {
        m_program.messages->error(kNotLoaded, {}, {}, this);
        return false;
    }
    m_storedTemplates.clear();
    for (const Entry &entry : Entries()) {
        if (!m_controls.contains(entry.key))
            continue;
        showValue(entry, params.value(entry.key));
        if (entry.control == Control::Track2)
            m_storedTemplates.insert(entry.key, params.value(entry.key).toString());
    }
    return true;
}

void frmOptions::showValue(const Entry &entry, const QVariant &value)
{
    QWidget *control = m_controls.value(entry.key);
    switch (entry.control) {
    case Control::Check:
        static_cast<QCheckBox *>(control)->setChecked(value.toInt() != 0);
        break;
    case Control::Spin:
        static_cast<QSpinBox *>(control)->setValue(value.toInt());
        break;
    case Control::Digits:
        static_cast<QLineEdit *>(control)->setText(QString::number(value.toInt()));
        break;
    case Control::Clock:
        static_cast<QLineEdit *>(control)->setText(ClockText(value.toInt()));
        break;
    case Control::Text:
    case Control::Track2:
        static_cast<QLineEdit *>(control)->setText(value.toString());
        break;
    case Control::Date:
        break;
    }
}

QString frmOptions::typedText(const Entry &entry) const
{
    const auto *box = qobject_cast<QLineEdit *>(m_controls.value(entry.key));
    return box ? box->text() : QString();
}

QVariant frmOptions::typedValue(const Entry &entry) const
{
    QWidget *control = m_controls.value(entry.key);
    switch (entry.control) {
    case Control::Check:
        return int(static_cast<QCheckBox *>(control)->isChecked());
    case Control::Spin:
        return static_cast<QSpinBox *>(control)->value();
    case Control::Digits:
        return typedText(entry).toInt();
    case Control::Clock:
        return ParseClock(typedText(entry)).value_or(0);
    case Control::Text:
    case Control::Track2:
        return typedText(entry);
    case Control::Date:
        break;
    }
    return {};
}

void frmOptions::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
}

void frmOptions::EvaluateAuthority()
{
    const Authority &authority = m_session.authority;
    if (!authority.HasRight(TableId::Parameters, Authority::Read)) {
        UnloadWindow(this);
        return;
    }
    setReadOnly(!authority.HasFunction(kSettingsFunction));
}

void frmOptions::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_lblReadOnly->setVisible(readOnly);
    m_cmdOK->setEnabled(!readOnly);
    if (m_cmdStandard)
        m_cmdStandard->setEnabled(!readOnly);
    for (QWidget *control : std::as_const(m_controls)) {
        if (auto *box = qobject_cast<QLineEdit *>(control))
            box->setReadOnly(readOnly);
        else if (auto *spin = qobject_cast<QSpinBox *>(control))
            spin->setReadOnly(readOnly);
        else
            control->setEnabled(!readOnly);
    }
}

void frmOptions::cmdOK_Click()
{
    if (m_readOnly)
        return;
    QHash<clsSystemParams::Key, QString> typed;
    for (const Entry &entry : Entries()) {
        if (m_controls.contains(entry.key) && qobject_cast<QLineEdit *>(m_controls.value(entry.key)))
            typed.insert(entry.key, typedText(entry));
    }
    if (const std::optional<SettingsRefusal> refusal = CheckSettings(typed, m_storedTemplates)) {
        m_program.messages->error(refusal->message, {}, {}, this);
        QWidget *control = m_controls.value(refusal->key);
        m_tabs->setCurrentWidget(control->parentWidget());
        control->setFocus();
        return;
    }
    if (!m_session.authority.IsFunctionAllowed(kSettingsFunction, kConfirmWhenShared))
        return;
    clsSystemParams &params = *m_db.SystemParams;
    for (const Entry &entry : Entries()) {
        if (m_controls.contains(entry.key))
            params.setValue(entry.key, typedValue(entry));
    }
    const bool saved = params.WriteSystemParameters();
    // Back in step with the table either way: the saved values, or the stored ones after a failure.
    params.ReadSystemParameters();
    if (!saved) {
        m_program.messages->error(kNotSaved, {}, {}, this);
        LoadSettings();
        return;
    }
    tellOpenWindows();
    UnloadWindow(this);
}

void frmOptions::tellOpenWindows()
{
    // Room boxes follow five-digit rooms and wing codes; menus follow the greying and wing codes.
    for (RoomListWindow *window : OpenWindows<RoomListWindow>(this))
        window->CheckRoomList();
    if (m_session.frame.setupMenus)
        m_session.frame.setupMenus();
    if (m_session.frame.setApplicationTitle)
        m_session.frame.setApplicationTitle();
}

void frmOptions::closeEvent(QCloseEvent *event)
{
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
    QWidget::closeEvent(event);
}

void frmOptions::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        UnloadWindow(this);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdOK_Click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

#include "admin/frmEditMaxValidity.h"

#include "admin/OpTemplateRules.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int16_t kCaption = 29690;

QSpinBox *partBox(QWidget *parent, const char *name, int maximum)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, maximum);
    return box;
}

} // namespace

frmEditMaxValidity::frmEditMaxValidity(QWidget *parent)
    : QDialog(parent), m_txtDays(partBox(this, "txtDays", kMaxValidityDays)), m_txtHours(partBox(this, "txtHours", 23)),
      m_txtMinutes(partBox(this, "txtMinutes", 59))
{
    setObjectName(QStringLiteral("frmEditMaxValidity"));
    setWindowTitle(GetText(kCaption));
    auto *fields = new QFormLayout;
    fields->addRow(GetText(29691), m_txtDays);
    fields->addRow(GetText(29692), m_txtHours);
    fields->addRow(GetText(29693), m_txtMinutes);
    QPushButton *ok = CommandButton(this, "cmdOK", 29694);
    QPushButton *cancel = CommandButton(this, "cmdCancel", 29695);
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_cancel = false;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmEditMaxValidity::setCurrentValidity(qint32 minutes)
{
    m_current = minutes;
    const ValidityParts parts = SplitValidity(minutes);
    m_txtDays->setValue(parts.days);
    m_txtHours->setValue(parts.hours);
    m_txtMinutes->setValue(parts.minutes);
}

qint32 frmEditMaxValidity::MaxValidity() const
{
    if (m_cancel)
        return m_current;
    return JoinValidity({m_txtDays->value(), m_txtHours->value(), m_txtMinutes->value()});
}

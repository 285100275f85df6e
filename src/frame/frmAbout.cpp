#include "frame/frmAbout.h"

#include "platform/OsVersion.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("18503"));
    auto *lblProduct = new QLabel(QStringLiteral("15010"), this);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont large = lblProduct->font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    large.setBold(true);
    lblProduct->setFont(large);
    const QString version =
        QStringLiteral("%1.%2.%3").arg(OSTRELLE_VERSION_MAJOR).arg(OSTRELLE_VERSION_MINOR).arg(OSTRELLE_VERSION_PATCH);
    auto *lblVersion = new QLabel(FormatText(GetText(28004), {version}), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto *lblSystem = new QLabel(OperatingSystemText(), this);
    lblSystem->setObjectName(QStringLiteral("lblSystem"));
    auto *cmdOK = new QPushButton(QStringLiteral("17000"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(cmdOK, QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(lblProduct);
    layout->addWidget(lblVersion);
    layout->addWidget(lblSystem);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    ApplyFormTexts(this);
    // The menu caption carries an access key and dots that a title does not show.
    setWindowTitle(windowTitle().remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    setFixedSize(sizeHint());
}

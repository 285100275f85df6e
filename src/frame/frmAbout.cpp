#include "frame/frmAbout.h"

#include "components/recordtable/RecordDatabase.h"
#include "platform/OsVersion.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int16_t kWorkstation = 29468;
constexpr int16_t kDatabase = 29469;
constexpr int16_t kSQLite = 29470;
constexpr int16_t kPostgreSQL = 29471;
constexpr int16_t kNotConnected = 29472;

QString databaseText(const RecordDatabase *db)
{
    if (!db || !db->isOpen())
        return FormatText(GetText(kDatabase), {GetText(kNotConnected), QStringLiteral("-")});
    const int16_t engine = db->engine() == RecordDatabase::Engine::PostgreSQL ? kPostgreSQL : kSQLite;
    const int version = db->knownSchemaVersion();
    return FormatText(GetText(kDatabase), {GetText(engine), QStringLiteral("%1 (%2)").arg(version).arg(
                                                                RecordDatabase::databaseVersionText(version))});
}

} // namespace

frmAbout::frmAbout(const ProgramServices &program, const DatabaseServices &db, QWidget *parent) : QDialog(parent)
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
    auto *lblWorkstation = new QLabel(FormatText(GetText(kWorkstation), {program.ComputerName}), this);
    lblWorkstation->setObjectName(QStringLiteral("lblWorkstation"));
    auto *lblDatabase = new QLabel(databaseText(db.database.get()), this);
    lblDatabase->setObjectName(QStringLiteral("lblDatabase"));
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
    layout->addWidget(lblWorkstation);
    layout->addWidget(lblDatabase);
    layout->addWidget(lblSystem);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    ApplyFormTexts(this);
    // The menu caption carries an access key and dots that a title does not show.
    setWindowTitle(windowTitle().remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    setFixedSize(sizeHint());
}

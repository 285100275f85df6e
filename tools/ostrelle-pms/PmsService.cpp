#include "ostrelle-pms/PmsService.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "pms/PmsDevices.h"
#include "session/Logon.h"
#include "settings/clsSystemParams.h"

#include <QDateTime>
#include <QHostAddress>
#include <QUrl>

namespace {

// A service has nobody to answer a message box: the message goes to the log and the box's
// default button is the answer.
class LogMessages : public Messages
{
public:
    explicit LogMessages(std::function<void(const QString &)> log) : m_log(std::move(log)) {}
    int show(const MessageRequest &request, QWidget *) override
    {
        m_log(QStringLiteral("Message %1: %2").arg(request.textNumber).arg(composeText(request)));
        return request.defaultButton;
    }

private:
    std::function<void(const QString &)> m_log;
};

} // namespace

bool DatabaseIsLocal(const QString &connection, const QString &computer)
{
    if (connection.startsWith(QLatin1String("sqlite:")))
        return true;
    if (!connection.startsWith(QLatin1String("postgres")))
        return false; // an ODBC source does not say where its server is
    const QString host = QUrl(connection).host();
    const QHostAddress address(host);
    return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(computer, Qt::CaseInsensitive) == 0 || (!address.isNull() && address.isLoopback());
}

PmsService::PmsService(Options options, const QString &programPath)
    : m_options(std::move(options)),
      m_program(programPath, RegistryStore::defaultPaths(),
                std::make_unique<LogMessages>([this](const QString &line) { log(line); })),
      m_session(m_program, m_db)
{
    m_log.Create(m_options.logFile, false);
}

PmsService::~PmsService() = default;

void PmsService::log(const QString &line)
{
    // Lines of the links carry their own time; the service's own lines get one here.
    static const QRegularExpression stamped(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "));
    m_log.AddString(stamped.match(line).hasMatch()
                        ? line
                        : QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + line);
}

bool PmsService::open(QString *error)
{
    m_program.ComputerName = m_options.client;
    if (!m_program.texts.LoadTextLibrary()) {
        *error = QStringLiteral("the text library libctexts.so is not beside the program in ") + m_program.ProgramPath;
        return false;
    }
    if (m_options.connection.isEmpty()) {
        const clsLocalParams &params = m_program.LocalParams;
        m_options.connection =
            RecordDatabase::connectionStringFor(params.Server(), params.ODBCSource(), m_options.computer);
    }
    m_db.database = std::make_unique<RecordDatabase>();
    m_db.database->setComputerName(m_program.ComputerName);
    if (!m_db.database->open(m_options.connection)) {
        *error =
            QStringLiteral("cannot open the database %1: %2").arg(m_options.connection, m_db.database->errorText());
        return false;
    }
    const CardsIntf::Setup cards{m_options.deviceDirectory.isEmpty() ? CardsIntf::defaultDeviceDirectory()
                                                                     : m_options.deviceDirectory};
    m_cardServers.firstCardsIntf = std::make_unique<CardsIntf>(*m_db.database, cards);
    m_cardServers.secondCardsIntf = std::make_unique<CardsIntf>(*m_db.database, cards);
    m_cardServers.firstCardsIntf->Negotiate(m_program.ComputerName);
    m_cardServers.secondCardsIntf->Negotiate(m_program.ComputerName);
    for (auto member : {&DatabaseServices::logonTable, &DatabaseServices::operatorsTable,
                        &DatabaseServices::parametersTable, &DatabaseServices::clientsTable}) {
        auto &table = m_db.*member;
        table = std::make_unique<RecordTable>(*m_db.database);
        table->SetComputerName(m_program.ComputerName);
        if (table->Status() != RecordStatus::Ok) {
            *error = QStringLiteral("the database does not answer: ") + table->ErrorText(table->Status());
            return false;
        }
    }
    m_db.operatorsTable->SelectTable(TableId::Operators);
    m_db.parametersTable->SelectTable(TableId::Parameters);
    m_db.SystemParams = std::make_unique<clsSystemParams>(*m_db.database, m_program.texts);
    if (!m_db.SystemParams->ReadSystemParameters()) {
        *error = QStringLiteral("cannot read the system parameters");
        return false;
    }
    // The service's own row in Clients, as a workstation's start-up makes it.
    RecordTable &clients = *m_db.clientsTable;
    clients.SelectTable(TableId::Clients);
    clients.OpenQuery(Field::clientName + QStringLiteral(" = ?"), QString());
    clients.AddParameter(m_program.ComputerName);
    if (clients.Status() != RecordStatus::Ok) {
        clients.SetField(Field::clientName, m_program.ComputerName);
        clients.InsertRecord();
        if (clients.Status() != RecordStatus::Ok) {
            *error = QStringLiteral("cannot add the client row: ") + clients.ErrorText(clients.Status());
            return false;
        }
        log(QStringLiteral("Client row added for ") + m_program.ComputerName);
    }
    clients.SetEncoderID(-1);

    // Rights rows of any age count as new to a fresh session.
    m_session.authority.setRightsTimeStamp(25569.0);
    if (RunLogonCommand(m_program, m_db, m_cardServers, m_session, 0, m_options.user, m_options.password) !=
        LogonOutcome::LoggedOn) {
        *error = QStringLiteral("the operator %1 cannot log on (the log names the reason)").arg(m_options.user);
        return false;
    }
    log(QStringLiteral("Logged on as %1 at %2, serving the PMS devices of %3")
            .arg(m_options.user, m_program.ComputerName, m_options.computer));
    return true;
}

bool PmsService::startLinks(const HandlerFactory &makeHandler, QString *error)
{
    const bool databaseLocal = DatabaseIsLocal(m_options.connection, m_options.computer);
    RecordTable devices(*m_db.database);
    devices.SelectTable(TableId::Devices);
    devices.OpenQuery(Field::deviceType + QStringLiteral(" = ?"), Field::deviceID);
    devices.AddParameter(DeviceType::PmsInterface);
    QList<PmsLinkConfig> configs;
    for (; devices.Status() == RecordStatus::Ok; devices.MoveNext()) {
        if (!ServesPmsDevice(devices.GetField(Field::computerName).toString(), m_options.computer, databaseLocal))
            continue;
        PmsLinkConfig config;
        config.deviceID = devices.GetField(Field::deviceID).toInt();
        const QString port = devices.GetField(Field::portName).toString();
        const std::optional<HostPort> address = ParseHostPort(port);
        const qint32 connection = devices.GetField(Field::componentType).toInt();
        if (!address || (connection != PmsConnection::Listen && connection != PmsConnection::Connect)) {
            *error = QStringLiteral("the PMS device %1 has an unusable port \"%2\" or connection %3")
                         .arg(config.deviceID)
                         .arg(port)
                         .arg(connection);
            return false;
        }
        config.listen = connection == PmsConnection::Listen;
        config.host = address->host;
        config.port = quint16(address->port);
        config.aliveInterval = m_options.aliveInterval;
        config.version = QStringLiteral("%1.%2.%3")
                             .arg(OSTRELLE_VERSION_MAJOR)
                             .arg(OSTRELLE_VERSION_MINOR)
                             .arg(OSTRELLE_VERSION_PATCH);
        configs << config;
    }
    if (devices.Status() != RecordStatus::NoRecord) {
        *error = QStringLiteral("cannot read the devices: ") + devices.ErrorText(devices.Status());
        return false;
    }
    if (configs.isEmpty()) {
        *error = QStringLiteral("no PMS device row is served by %1 (computer name %1, $LOCAL%2)")
                     .arg(m_options.computer, databaseLocal ? QStringLiteral(" or $SERVER") : QString());
        return false;
    }
    for (const PmsLinkConfig &config : configs) {
        Served served;
        served.handler = makeHandler(*this, config.deviceID);
        served.link = std::make_unique<PmsLink>(config, *served.handler);
        served.journal = std::make_unique<PmsLinkJournal>(*served.link, m_db.database.get(), m_program.ComputerName,
                                                          [this](const QString &line) { log(line); });
        connect(served.link.get(), &PmsLink::stopped, this, &PmsService::linkStopped);
        log(QStringLiteral("PMS %1: %2 %3:%4")
                .arg(config.deviceID)
                .arg(config.listen ? QStringLiteral("listening on") : QStringLiteral("connecting to"), config.host)
                .arg(config.port));
        m_links.push_back(std::move(served));
    }
    for (Served &served : m_links) {
        ++m_running;
        served.link->start();
    }
    return true;
}

void PmsService::stop()
{
    log(QStringLiteral("Stopping"));
    if (m_running == 0) {
        linkStopped();
        return;
    }
    for (Served &served : m_links)
        served.link->stop();
}

void PmsService::linkStopped()
{
    if (m_running > 0 && --m_running > 0)
        return;
    if (m_session.logon.loggedOn && !m_session.logon.operators.isEmpty()) {
        QList<LogoffEntry> entries;
        for (const int32_t id : m_session.logon.operators)
            entries.append({LoggedOnOperatorText(m_db, id), id});
        LogOffOperators(m_db, m_session, entries);
        log(QStringLiteral("Logged off"));
    }
    emit stopped();
}

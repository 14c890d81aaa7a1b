#include "cli/CCliReplaceCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliNumberOption.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"
#include "cli/CStderrNotifier.h"

#include "core/common/CQtTimerSource.h"
#include "core/common/CXmlFile.h"
#include "core/replace/CReplacement.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CTransportUploadLink.h"
#include "core/upload/CUploadListing.h"

#include <QCommandLineParser>

namespace {

using Outcome = CReplacement::Outcome;

const QString kGateway = QStringLiteral("gateway");
const QString kFrom = QStringLiteral("from");
const QString kDryRun = QStringLiteral("dry-run");
constexpr int kMaxUid = 999999;
constexpr auto kLongestRun = std::chrono::hours(1);

}  // namespace

QString CCliReplaceCommand::name() const {
    return QStringLiteral("replace");
}

QString CCliReplaceCommand::summary() const {
    return QStringLiteral("put a new unit in a failed one's place, with its settings");
}

QString CCliReplaceCommand::description() const {
    return QStringLiteral(
        "Gives a new unit the settings of the one it replaces, from FILE, a snapshot (a map\n"
        "file 'collect' wrote) or a project that holds the old unit. Only settings a user\n"
        "may set are given (the new unit keeps its own serial number and versions).\n"
        "A bus device: --uid N (--serial SN | --arm) --via IP. First UID N must be silent\n"
        "(\"#UIDN=?;\" to every gateway): a device still answering is never replaced, and\n"
        "the exit code is 7. Then the new device takes UID N, by its serial number\n"
        "(\"#SNs.UID=N;\" to the gateway at IP) or, with --arm, by its discover button\n"
        "(\"#UID=N;\", then up to 120 s for the press). Then the bus device upload gives it\n"
        "the settings; a device of another type than FILE's gets none (exit 7, and it is\n"
        "said that it keeps UID N).\n"
        "A gateway: --gateway IP: the unit answering at IP (given the old one's address)\n"
        "gets the old one's settings through the gateway upload, with the same type check.\n"
        "--dry-run changes nothing: for a bus device it checks the silence and prints what\n"
        "would be sent, for a gateway it compares with the unit at IP. The rows go to\n"
        "stdout as the upload prints them, a credential's value (such as TELNET.PASSWORD)\n"
        "as \"(set)\" or \"(empty)\" unless --with-secrets. Exits 0 only when every\n"
        "setting sent was echoed; 3 when no new unit answered, 6 when some settings were\n"
        "not taken, 8 when FILE cannot be read or does not hold the unit.");
}

QList<QCommandLineOption> CCliReplaceCommand::options() const {
    return {CCliOptions::uid(),
            CCliOptions::serial(),
            CCliOptions::arm(),
            CCliOptions::via(),
            QCommandLineOption(kGateway, QStringLiteral("the gateway replaced (its address)"),
                               QStringLiteral("IP")),
            QCommandLineOption(kFrom,
                               QStringLiteral("the snapshot or project holding the old unit "
                                              "(required)"),
                               QStringLiteral("FILE")),
            QCommandLineOption(kDryRun, QStringLiteral("change nothing, print what would be sent")),
            CCliOptions::pacing(),
            CCliOptions::withSecrets()};
}

QString CCliReplaceCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_from = parser.value(kFrom);
    if (m_from.isEmpty()) {
        return QStringLiteral("replace needs --from FILE");
    }
    m_dryRun = parser.isSet(kDryRun);
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    const std::variant<CPacing, QString> pacing = CCliOptions::readPacing(parser);
    if (const QString* wrong = std::get_if<QString>(&pacing)) {
        return *wrong;
    }
    m_pacing = std::get<CPacing>(pacing);
    m_isGateway = parser.isSet(kGateway);
    if (!m_isGateway) {
        return configureBusDevice(parser);
    }
    for (const QCommandLineOption& busOption :
         {CCliOptions::uid(), CCliOptions::serial(), CCliOptions::arm(), CCliOptions::via()}) {
        if (parser.isSet(busOption.names().front())) {
            return QStringLiteral("replace --gateway takes no --%1").arg(busOption.names().front());
        }
    }
    m_gateway = parser.value(kGateway);
    return {};
}

QString CCliReplaceCommand::configureBusDevice(const QCommandLineParser& parser) {
    const QString uid = CCliOptions::uid().names().front();
    const QString serial = CCliOptions::serial().names().front();
    if (!parser.isSet(uid)) {
        return QStringLiteral("replace needs --uid N (a bus device) or --gateway IP");
    }
    if (parser.isSet(CCliOptions::arm().names().front()) == parser.isSet(serial)) {
        return QStringLiteral("replace --uid needs either --serial SN or --arm");
    }
    m_gateway = parser.value(CCliOptions::via().names().front());
    if (m_gateway.isEmpty()) {
        return QStringLiteral("replace --uid needs --via IP, the gateway of the device's bus");
    }
    if (QString error = CCliNumberOption{uid, 1, kMaxUid, m_uid}.read(parser); !error.isEmpty()) {
        return error;
    }
    if (parser.isSet(serial)) {
        bool isNumber = false;
        m_serial = parser.value(serial).toUInt(&isNumber);
        if (!isNumber) {
            return QStringLiteral("--serial takes a serial number, not '%1'")
                .arg(parser.value(serial));
        }
    }
    return {};
}

int CCliReplaceCommand::run(CCliSession& session) {
    const std::optional<quint32> gateway = session.address(m_gateway);
    if (!gateway) {
        return CCliExit::kUsage;
    }
    pugi::xml_document file;
    QString reason;
    if (!CXmlFile::load(m_from, file, reason)) {
        session.report(QStringLiteral("cannot read %1: %2").arg(m_from, reason));
        return CCliExit::kRefused;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    const pugi::xml_document& schema = session.document().schema();
    const std::unique_ptr<CReplacementProject> project =
        m_isGateway ? CReplacementProject::gateway(file, m_gateway.toLatin1(), schema, reason)
                    : CReplacementProject::busDevice(file, m_uid, schema, reason);
    if (!project) {
        session.report(QStringLiteral("%1: %2").arg(m_from, reason));
        return CCliExit::kRefused;
    }
    CStderrNotifier notifier;
    CTransportUploadLink link(session.transport(), notifier, [](const QString&) {
        // The replacement gave the UID itself: an upload that does not find the device
        // passes it over, and the outcome says so.
        return IUploadLink::Answer::No;
    });
    CUploadOptions options;
    options.pacing = m_pacing;
    options.dryRun = m_dryRun;
    CReplacement::Target target;
    target.kind = m_isGateway ? CUploadDevice::Kind::Gateway : CUploadDevice::Kind::BusDevice;
    target.gateway = *gateway;
    target.serial = m_serial;
    CReplacement replacement(session.document(), link, *project, target, options);
    QObject::connect(&replacement, &CReplacement::stageChanged, &replacement,
                     [&session](const QString& stage) { session.progress(stage); });
    session.onTrafficLine([&session](const QByteArray& line) {
        if (!line.startsWith('[')) {
            session.progress(QString::fromUtf8(line));
        }
    });
    const CChangeJournal::Activity replacing(&session.journal(), QStringLiteral("replace"));
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(session.document());
    replacement.start(sequencer);
    session.waitUntil([&replacement] { return replacement.isFinished(); }, kLongestRun);
    if (!replacement.isFinished()) {
        replacement.stop();
        return CCliExit::kInterrupted;
    }
    return finish(session, replacement, *project);
}

int CCliReplaceCommand::finish(CCliSession& session, const CReplacement& replacement,
                               const CReplacementProject& project) const {
    const QString said = replacement.describe();
    switch (*replacement.outcome()) {
        case Outcome::Replaced:
            printRows(session, replacement.summary());
            session.progress(said);
            return CCliExit::kOk;
        case Outcome::Previewed:
            printRows(session, m_isGateway ? replacement.summary()
                                           : project.preview(session.document().schema()));
            session.progress(said);
            return CCliExit::kOk;
        case Outcome::StillAnswering:
        case Outcome::TypeRefused:
            session.report(said);
            return CCliExit::kNotTaken;
        case Outcome::NotFound:
            session.report(said);
            return CCliExit::kNothingAnswered;
        case Outcome::Incomplete:
            printRows(session, replacement.summary());
            session.report(said);
            return CCliExit::kIncomplete;
        case Outcome::Failed:
            return CCliExit::kNetwork;
        case Outcome::Stopped:
            return CCliExit::kInterrupted;
    }
    return CCliExit::kIncomplete;
}

void CCliReplaceCommand::printRows(CCliSession& session, CUploadSummary summary) const {
    if (!m_withSecrets) {
        summary.hideSecrets();
    }
    session.print(CUploadListing::text(summary));
}

#include "cli/CCliUploadCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"
#include "cli/CStderrNotifier.h"

#include "core/common/CQtTimerSource.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CBusUpload.h"
#include "core/upload/CGatewayUpload.h"
#include "core/upload/CTransportUploadLink.h"
#include "core/upload/CUploadListing.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <memory>

namespace {

const QString kDryRun = QStringLiteral("dry-run");
const QString kMissing = QStringLiteral("missing");
const QString kSequential = QStringLiteral("sequential");
constexpr int kInterruptPollMs = 50;

int cliExit(int uploadExit) {
    switch (uploadExit) {
        case CUploadSummary::kExitApplied:
            return CCliExit::kOk;
        case CUploadSummary::kExitNothingAnswered:
            return CCliExit::kNothingAnswered;
        case CUploadSummary::kExitSendFailed:
            return CCliExit::kNetwork;
        default:
            return CCliExit::kIncomplete;
    }
}

// Every value of the project that is not of its setting's type, named on stderr as the
// program names it ("UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)"); none of them was
// sent.
int reportInvalidValues(CCliSession& session, const CUploadSummary& summary) {
    int invalid = 0;
    for (const CDeviceOutcome& device : summary.devices) {
        for (const CUploadRow& row : device.rows) {
            if (row.outcome == CUploadRow::Outcome::InvalidValue) {
                session.report(
                    QStringLiteral("%1: %2").arg(QString::fromLatin1(device.label), row.refusal));
                ++invalid;
            }
        }
    }
    return invalid;
}

}  // namespace

QString CCliUploadCommand::name() const {
    return QStringLiteral("upload");
}

QString CCliUploadCommand::summary() const {
    return QStringLiteral("upload a project to its gateways and bus devices");
}

QString CCliUploadCommand::description() const {
    return QStringLiteral(
        "Uploads the project as the program's UpLoad does: each gateway is asked for its\n"
        "settings (\"&=?\") and sent those that differ (\"&NAME=Hall\"), its NETWORK and UDP\n"
        "settings last, every gateway at the same time; then the bus devices (\"#uid12=?;\",\n"
        "\"#UID12.A.LED.MODE=RGB\", all broadcast), every bus at the same time, each device\n"
        "behind the gateway it announced itself from (\"#UID=REGISTER;\" first; devices\n"
        "that none announced come after the others). --sequential: one gateway, one device\n"
        "after another, and no registration.\n"
        "Only settings the schema lets a user edit are sent, and only values that can go out\n"
        "safely. Paced by replies (the default) a pause ends once the device has answered;\n"
        "--pacing fixed keeps every pause at its full length. A query whose report lacks a\n"
        "setting of the project goes again (a few missing settings are asked by name), a\n"
        "set whose echo does not come goes again and is then asked by name (at most\n"
        "--retries times in a row; the summary counts them). The upload's lines\n"
        "go to stderr, the rows of every device (sent, already set, skipped and why) to\n"
        "stdout at the end, as JSON with --json. --dry-run sends only the queries and prints\n"
        "the rows. A bus device that does not answer: --missing skip (the default) passes\n"
        "it over, abort ends the upload, wait arms the gateways with its UID and waits (at\n"
        "most 240 s) for its discover button. Exits 0 when every device answered and holds\n"
        "the project's values (every setting sent was echoed), 3 when none answered, 4 when\n"
        "a command could not be sent, 6 otherwise, 8 when the project cannot be read or\n"
        "gives a setting a value of the wrong type (each is named on stderr, and none is\n"
        "sent). A credential's value (such as TELNET.PASSWORD) reads \"(set)\" or\n"
        "\"(empty)\" in the rows and lines unless --with-secrets.");
}

QList<QCommandLineOption> CCliUploadCommand::options() const {
    return {
        CCliProjectOptions::projectOption(),
        CCliProjectOptions::gatewaysOption(),
        CCliProjectOptions::devicesOption(),
        QCommandLineOption(kDryRun, QStringLiteral("send only the queries, print the rows")),
        CCliOptions::pacing(),
        QCommandLineOption(kSequential, QStringLiteral("one gateway, one bus device after another, "
                                                       "not all at once")),
        QCommandLineOption(kMissing,
                           QStringLiteral("a bus device that does not answer: skip "
                                          "(default), abort or wait"),
                           QStringLiteral("WHAT")),
        CCliOptions::json(),
        CCliOptions::withSecrets()};
}

QString CCliUploadCommand::configure(const QCommandLineParser& parser,
                                     const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    if (const QString wrong = m_project.read(parser, name()); !wrong.isEmpty()) {
        return wrong;
    }
    const std::variant<CPacing, QString> pacing = CCliOptions::readPacing(parser);
    if (const QString* wrong = std::get_if<QString>(&pacing)) {
        return *wrong;
    }
    m_pacing = std::get<CPacing>(pacing);
    const QString missing =
        parser.isSet(kMissing) ? parser.value(kMissing) : QStringLiteral("skip");
    if (missing == QLatin1String("skip")) {
        m_missing = IUploadLink::Answer::No;
    } else if (missing == QLatin1String("abort")) {
        m_missing = IUploadLink::Answer::Cancel;
    } else if (missing == QLatin1String("wait")) {
        m_missing = IUploadLink::Answer::Yes;
    } else {
        return QStringLiteral("--missing takes skip, abort or wait, not '%1'").arg(missing);
    }
    m_dryRun = parser.isSet(kDryRun);
    m_sequential = parser.isSet(kSequential);
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    return {};
}

int CCliUploadCommand::run(CCliSession& session) {
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    if (!session.document().openProject(m_project.project)) {
        return CCliExit::kRefused;
    }
    session.onTrafficLine([&session](const QByteArray& line) {
        if (!line.startsWith('[')) {
            session.progress(QString::fromUtf8(line));
        }
    });
    QList<int> codes;
    QJsonObject json;
    for (const CUploadDevice::Kind kind : m_project.kinds) {
        CUploadSummary summary;
        codes.append(upload(session, kind, summary));
        if (m_json) {
            json.insert(QLatin1String(CCliProjectOptions::kindName(kind)),
                        QJsonDocument::fromJson(CUploadListing::json(summary)).object());
        } else {
            session.print(CUploadListing::text(summary));
        }
        if (codes.back() == CCliExit::kInterrupted) {
            break;
        }
    }
    if (m_json) {
        session.printJson(json);
    }
    return exitCode(codes);
}

int CCliUploadCommand::upload(CCliSession& session, CUploadDevice::Kind kind,
                              CUploadSummary& summary) {
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(session.document());
    CStderrNotifier notifier;
    const IUploadLink::Answer missing = m_missing;
    CTransportUploadLink link(
        session.transport(), notifier, [&session, missing](const QString& prompt) {
            session.progress(prompt.section(QLatin1Char('\n'), 0, 0));
            if (missing == IUploadLink::Answer::Yes) {
                session.progress(
                    QStringLiteral("Press the discover button of the device now; "
                                   "waiting for it (at most 240 s)."));
            }
            return missing;
        });
    // Every bus at once needs to know which bus each device is on: the buses announce their
    // devices, and each device is uploaded behind the gateway it announced itself from.
    if (kind == CUploadDevice::Kind::BusDevice && !m_sequential) {
        session.progress(QStringLiteral("Registering the buses' devices..."));
        if (!session.send(CCommands::busRegister(), CIpv4Address::kBroadcast)) {
            return CCliExit::kNetwork;
        }
        session.waitForReplies();
    }
    CUploadOptions options;
    options.pacing = m_pacing;
    options.dryRun = m_dryRun;
    options.retries = session.options().retries;
    options.concurrent = !m_sequential;
    std::unique_ptr<CUploadRun> upload;
    if (kind == CUploadDevice::Kind::Gateway) {
        upload = std::make_unique<CGatewayUpload>(session.document(), link, options);
    } else {
        upload = std::make_unique<CBusUpload>(session.document(), link, options);
    }
    QEventLoop loop;
    QObject::connect(upload.get(), &CUploadRun::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QObject::connect(upload.get(), &CUploadRun::deviceChanged, &loop,
                     [&session](const QString& device) { session.progress(device); });
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, &loop, [&upload] {
        if (CCliSession::interrupted()) {
            upload->stop();
        }
    });
    interrupt.start(kInterruptPollMs);
    upload->start(sequencer);
    if (!upload->isFinished()) {
        loop.exec();
    }
    summary = upload->summary();
    if (!m_withSecrets) {
        summary.hideSecrets();
    }
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    const int code = cliExit(summary.exitCode());
    const bool refused = reportInvalidValues(session, summary) > 0;
    return refused && code != CCliExit::kNetwork ? CCliExit::kRefused : code;
}

int CCliUploadCommand::exitCode(const QList<int>& codes) {
    for (const int severest : {CCliExit::kInterrupted, CCliExit::kNetwork, CCliExit::kRefused}) {
        if (codes.contains(severest)) {
            return severest;
        }
    }
    if (!codes.isEmpty() && codes.count(CCliExit::kNothingAnswered) == codes.size()) {
        return CCliExit::kNothingAnswered;
    }
    for (const int code : codes) {
        if (code != CCliExit::kOk) {
            return CCliExit::kIncomplete;
        }
    }
    return CCliExit::kOk;
}

#include "cli/CCliCollectCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/common/Version.h"

#include "core/bus/CBusCollection.h"
#include "core/bus/CRollCall.h"
#include "core/protocol/CCommands.h"
#include "core/site/CSnapshotStamp.h"
#include "core/transport/CIpv4Address.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace {
const QString kMap = QStringLiteral("map");
const QString kSequential = QStringLiteral("sequential");
// The time between the gateways' name question and its repeat.
constexpr std::chrono::milliseconds kNameAgainAfter{150};

}  // namespace

QString CCliCollectCommand::name() const {
    return QStringLiteral("collect");
}

QString CCliCollectCommand::summary() const {
    return QStringLiteral("register every bus, read every gateway and device into a map file");
}

QString CCliCollectCommand::description() const {
    return QStringLiteral(
        "Finds every gateway (\"&NAME=?;\") and registers the devices of every bus\n"
        "(\"#UID=REGISTER;\", both broadcast): collecting is not read-only, every device of\n"
        "every bus is told to announce itself. Then collects as the program's Collect\n"
        "does: each gateway's settings (\"&=?;\", 2 s), then each device with a UID\n"
        "(\"#UIDn=?;\", 1 s), every gateway's bus at the same time (--sequential: one\n"
        "gateway after another). Meanwhile a roll call finds the devices whose announcement\n"
        "was lost: it asks the UIDs below the highest one heard, and two above it, that\n"
        "nobody announced (\"#UIDn=?;\", broadcast), and those that answer are collected\n"
        "too. With --pacing replies (the default) a pause ends as soon as the answers have\n"
        "come and stopped for a moment; --pacing fixed waits every pause out. A report that\n"
        "lacks a setting its type has (or that it reported before) is asked again, at most\n"
        "--retries times. Everything is saved as a map file, as the program's Save Map File\n"
        "does, marked as a snapshot: when, through which adapter and by which version it\n"
        "was taken ('compare' and 'report' read it; the program loads it as any map file).\n"
        "Gateways and devices that did not answer, or whose report is still incomplete, are\n"
        "named on stderr with what they lack, and the exit code is 6. When interrupted, the\n"
        "map is saved as far as it got, said to be partial, and the exit code is 130. With\n"
        "--json, a summary on stdout: {\"map\", \"gateways\", \"devices\", \"silent\":\n"
        "[{\"gateway\", \"uid\"}], \"incomplete\": [{\"gateway\", \"uid\", \"missing\":\n"
        "[...]}], \"repeats\", \"rollCall\" (the devices it found), \"partial\"} (no \"uid\"\n"
        "for a gateway's own report).");
}

QList<QCommandLineOption> CCliCollectCommand::options() const {
    return {QCommandLineOption(kMap, QStringLiteral("the map file to write (required)"),
                               QStringLiteral("FILE")),
            CCliOptions::pacing(),
            QCommandLineOption(kSequential,
                               QStringLiteral("one gateway after another, not all buses at once")),
            CCliOptions::json()};
}

QString CCliCollectCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_mapFile = parser.value(kMap);
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_sequential = parser.isSet(kSequential);
    const std::variant<CPacing, QString> pacing = CCliOptions::readPacing(parser);
    if (const QString* wrong = std::get_if<QString>(&pacing)) {
        return *wrong;
    }
    m_pacing = std::get<CPacing>(pacing);
    return m_mapFile.isEmpty() ? QStringLiteral("collect needs --map FILE") : QString();
}

int CCliCollectCommand::run(CCliSession& session) {
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    session.progress(QStringLiteral("Looking for gateways and registering their buses..."));
    // Both at once, so that the buses announce their devices while the gateways answer.
    // Any gateway's answer to the question may be lost on its own, so the question goes
    // again as often as a query may, a moment apart while the announcements come in: a
    // name comes at once when it comes. A registration never goes again.
    if (!session.send(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast) ||
        !session.send(CCommands::busRegister(), CIpv4Address::kBroadcast)) {
        return CCliExit::kNetwork;
    }
    for (int again = 0; again < session.options().retries && !CCliSession::interrupted(); ++again) {
        session.waitFor(kNameAgainAfter);
        session.send(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast);
    }
    session.waitForReplies();
    const QList<QByteArray> gateways = session.gatewayAddresses();
    if (gateways.isEmpty() && !CCliSession::interrupted()) {
        session.progress(QStringLiteral("No gateway answered."));
        return CCliExit::kNothingAnswered;
    }
    session.progress(QStringLiteral("%1 gateway(s) found.").arg(gateways.size()));

    auto report = std::make_shared<CCollectionSummary>();
    if (!CCliSession::interrupted()) {
        const qsizetype devices =
            session.document()
                .plan()
                .select_nodes("/Plan/Network_Configuration/UBRIX/DEVICE[@UID]")
                .size();
        session.progress(QStringLiteral("Collecting %1 device(s)...").arg(devices));
        // Beside the collection, a roll call finds the devices whose announcement was
        // lost; the gateways' lanes ask them too before they end.
        auto rollCall = std::make_shared<CRollCall>(session.options().retries);
        const CBusCollection::Send send = [&session](QByteArrayView text, quint32 to) {
            return session.send(text.toByteArray(), to);
        };
        const CBusCollection::Options options{!m_sequential, session.options().retries,
                                              [rollCall] { return !rollCall->isOver(); }};
        std::vector<CSequenceRun::StepSource> lanes =
            CBusCollection::lanes(session.document(), send, options, report);
        lanes.push_back(CRollCall::lane(rollCall, session.document(), send));
        session.runLanes(QString::fromLatin1(CBusCollection::kRunName), std::move(lanes), m_pacing);
        m_foundByRollCall = static_cast<qint64>(rollCall->found());
        if (m_foundByRollCall > 0) {
            session.progress(QStringLiteral("%1 device(s) whose announcement was lost "
                                            "answered the roll call.")
                                 .arg(m_foundByRollCall));
        }
    }
    // Every report complete: nothing is on its way any more.
    if (!report->isComplete() || CCliSession::interrupted()) {
        session.waitForReplies();
    }
    return finish(session, *report);
}

// A map file from collect is a snapshot: it says when, through which adapter and by
// which version it was taken.
CSnapshotStamp CCliCollectCommand::snapshotStamp(CCliSession& session) {
    const CAdapterEntry adapter = session.transport().adapters().selectedEntry();
    CSnapshotStamp stamp;
    stamp.taken = QDateTime::currentDateTimeUtc();
    stamp.adapter = (adapter.name + QLatin1Char(' ') +
                     QString::fromLatin1(CIpv4Address::toDotted(adapter.address)))
                        .trimmed();
    stamp.version = QLatin1String(vorel::version::kText);
    return stamp;
}

int CCliCollectCommand::finish(CCliSession& session, const CCollectionSummary& report) {
    const bool partial = CCliSession::interrupted();
    QString reason;
    if (!snapshotStamp(session).save(session.document().plan(), m_mapFile, reason)) {
        session.report(QStringLiteral("Failed to save template:\n%1\n").arg(reason));
        return CCliExit::kFile;
    }
    const QList<QByteArray> gateways = session.gatewayAddresses();
    const size_t devices =
        session.document().plan().select_nodes("/Plan/Device_Configuration/DEVICE").size();
    session.progress(QStringLiteral("%1 gateway(s) and %2 bus device(s) saved to %3")
                         .arg(gateways.size())
                         .arg(devices)
                         .arg(m_mapFile));
    if (report.repeats > 0) {
        session.progress(QStringLiteral("Queries asked again: %1").arg(report.repeats));
    }
    QJsonArray silentList;
    QJsonArray incompleteList;
    for (const CCollectionSummary::Incomplete& incomplete : report.incomplete) {
        session.report(incomplete.line());
        QJsonObject entry{{QStringLiteral("gateway"), QString::fromLatin1(incomplete.gateway)}};
        if (incomplete.uid) {
            entry.insert(QStringLiteral("uid"), static_cast<qint64>(*incomplete.uid));
        }
        if (!incomplete.answered) {
            silentList.append(entry);
            continue;
        }
        QJsonArray missing;
        for (const CSettingAddress& address : incomplete.missing) {
            missing.append(QString::fromLatin1(address.text()));
        }
        entry.insert(QStringLiteral("missing"), missing);
        incompleteList.append(entry);
    }
    if (partial) {
        session.report(
            QStringLiteral("collecting was interrupted: the map in %1 is partial").arg(m_mapFile));
    }
    if (m_json) {
        session.printJson(QJsonObject{
            {QStringLiteral("map"), m_mapFile},
            {QStringLiteral("gateways"), static_cast<qint64>(gateways.size())},
            {QStringLiteral("devices"), static_cast<qint64>(devices)},
            {QStringLiteral("silent"), silentList},
            {QStringLiteral("incomplete"), incompleteList},
            {QStringLiteral("repeats"), report.repeats},
            {QStringLiteral("rollCall"), m_foundByRollCall},
            {QStringLiteral("partial"), partial},
        });
    }
    if (partial) {
        return CCliExit::kInterrupted;
    }
    return report.isComplete() ? CCliExit::kOk : CCliExit::kIncomplete;
}

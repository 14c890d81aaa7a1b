#include "CCliCollectCommand.h"

#include "CCliExit.h"
#include "CCliOptions.h"
#include "CCliSession.h"

#include "Version.h"

#include "bus/CBusCollection.h"
#include "common/CXPathNumber.h"
#include "protocol/CCommands.h"
#include "site/CSnapshotStamp.h"
#include "transport/CIpv4Address.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace {
const QString kMap = QStringLiteral("map");

QString dotted(quint32 address) {
    return QString::fromLatin1(CIpv4Address::toDotted(address));
}
}  // namespace

QString CCliCollectCommand::name() const {
    return QStringLiteral("collect");
}

QString CCliCollectCommand::summary() const {
    return QStringLiteral("register every bus, read every gateway and device into a map file");
}

QString CCliCollectCommand::description() const {
    return QStringLiteral(
        "Finds every gateway (\"&NAME=?;\") and registers the devices of its bus\n"
        "(\"#UID=REGISTER;\"): collecting is not read-only, every device of every bus is told\n"
        "to announce itself. Then collects as the program's Collect does: each gateway's\n"
        "settings (\"&=?;\", 2 s), then each device with a UID (\"#UIDn=?;\", 1 s). With\n"
        "--pacing replies (the default) a pause ends as soon as the answers have come and\n"
        "stopped for a moment; --pacing fixed waits every pause out. Everything is saved\n"
        "as a map file, as the program's Save Map File does, marked as a snapshot: when,\n"
        "through which adapter and by which version it was taken ('compare' and 'report'\n"
        "read it; the program loads it as any map file).\n"
        "Devices that did not answer are named on stderr and the exit code is 6. When\n"
        "interrupted, the map is saved as far as it got, said to be partial, and the exit\n"
        "code is 130. With --json, a summary on stdout: {\"map\", \"gateways\", \"devices\",\n"
        "\"silent\": [{\"gateway\", \"uid\"}], \"partial\"}.");
}

QList<QCommandLineOption> CCliCollectCommand::options() const {
    return {QCommandLineOption(kMap, QStringLiteral("the map file to write (required)"),
                               QStringLiteral("FILE")),
            CCliOptions::pacing(), CCliOptions::json()};
}

QString CCliCollectCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_mapFile = parser.value(kMap);
    m_json = parser.isSet(CCliOptions::json().names().front());
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
    session.progress(QStringLiteral("Looking for gateways..."));
    if (!session.send(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast)) {
        return CCliExit::kNetwork;
    }
    session.waitForReplies();
    const QList<QByteArray> gateways = session.gatewayAddresses();
    if (gateways.isEmpty() && !CCliSession::interrupted()) {
        session.progress(QStringLiteral("No gateway answered."));
        return CCliExit::kNothingAnswered;
    }
    session.progress(
        QStringLiteral("%1 gateway(s) found. Registering their buses...").arg(gateways.size()));
    for (qsizetype i = 0; i < gateways.size() && !CCliSession::interrupted(); ++i) {
        session.send(CCommands::busRegister(), CIpv4Address::fromDotted(gateways[i]));
        session.pace();
    }
    session.waitForReplies();

    const QList<Device> devices = heardDevices(session);
    if (!CCliSession::interrupted()) {
        session.progress(QStringLiteral("Collecting %1 device(s)...").arg(devices.size()));
        session.runSequence(QString::fromLatin1(CBusCollection::kRunName),
                            CBusCollection::steps(session.document(),
                                                  [&session](QByteArrayView text, quint32 to) {
                                                      return session.send(text.toByteArray(), to);
                                                  }),
                            m_pacing);
    }
    session.waitForReplies();
    return finish(session, silentDevices(session, devices));
}

QList<CCliCollectCommand::Device> CCliCollectCommand::heardDevices(CCliSession& session) const {
    QList<Device> devices;
    for (const pugi::xpath_node& hit : session.document().plan().select_nodes(
             "/Plan/Network_Configuration/UBRIX[@IP]/DEVICE[@UID]")) {
        const pugi::xml_node device = hit.node();
        devices.append(
            {CIpv4Address::fromDotted(QByteArray(device.parent().attribute("IP").value())),
             CXPathNumber::leadingInteger(device.attribute("UID").value())});
    }
    return devices;
}

QList<CCliCollectCommand::Device> CCliCollectCommand::silentDevices(
    CCliSession& session, const QList<Device>& devices) const {
    QList<Device> silent;
    for (const Device& device : devices) {
        if (!session.replies().deviceAnswered(CIpv4Address::toDotted(device.gateway), device.uid)) {
            silent.append(device);
        }
    }
    return silent;
}

// A map file from collect is a snapshot: it says when, through which adapter and by
// which version it was taken.
CSnapshotStamp CCliCollectCommand::snapshotStamp(CCliSession& session) {
    const CAdapterEntry adapter = session.transport().adapters().selectedEntry();
    CSnapshotStamp stamp;
    stamp.taken = QDateTime::currentDateTimeUtc();
    stamp.adapter = (adapter.name + QLatin1Char(' ') + dotted(adapter.address)).trimmed();
    stamp.version = QLatin1String(vorel::version::kText);
    return stamp;
}

int CCliCollectCommand::finish(CCliSession& session, const QList<Device>& silent) {
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
    QJsonArray silentList;
    for (const Device& device : silent) {
        session.report(QStringLiteral("UID %1 behind %2 did not answer")
                           .arg(device.uid)
                           .arg(dotted(device.gateway)));
        silentList.append(QJsonObject{{QStringLiteral("gateway"), dotted(device.gateway)},
                                      {QStringLiteral("uid"), device.uid}});
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
            {QStringLiteral("partial"), partial},
        });
    }
    if (partial) {
        return CCliExit::kInterrupted;
    }
    return silent.isEmpty() ? CCliExit::kOk : CCliExit::kIncomplete;
}

#include "CCliCollectCommand.h"

#include "CCliExit.h"
#include "CCliOptions.h"
#include "CCliSession.h"

#include "common/CXPathNumber.h"
#include "protocol/CCommands.h"
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
        "Finds every gateway (\"&NAME=?;\"), reads its settings (\"&=?;\") and registers the\n"
        "devices of its bus (\"#UID=REGISTER;\"): collecting is not read-only, every device of\n"
        "every bus is told to announce itself. Then reads each device heard (\"#UIDn=?;\")\n"
        "and saves everything as a map file, as the program's Save Map File does.\n"
        "Devices that did not answer are named on stderr and the exit code is 6. When\n"
        "interrupted, the map is saved as far as it got, said to be partial, and the exit\n"
        "code is 130. With --json, a summary on stdout: {\"map\", \"gateways\", \"devices\",\n"
        "\"silent\": [{\"gateway\", \"uid\"}], \"partial\"}.");
}

QList<QCommandLineOption> CCliCollectCommand::options() const {
    return {QCommandLineOption(kMap, QStringLiteral("the map file to write (required)"),
                               QStringLiteral("FILE")),
            CCliOptions::json()};
}

QString CCliCollectCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_mapFile = parser.value(kMap);
    m_json = parser.isSet(CCliOptions::json().names().front());
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
        QStringLiteral("%1 gateway(s) found. Reading their settings and registering their buses...")
            .arg(gateways.size()));
    for (qsizetype i = 0; i < gateways.size() && !CCliSession::interrupted(); ++i) {
        const quint32 address = CIpv4Address::fromDotted(gateways[i]);
        session.send(CCommands::gatewayFullQuery(), address);
        session.pace();
        session.send(CCommands::busRegister(), address);
        session.pace();
    }
    session.waitForReplies();

    const QList<Device> devices = heardDevices(session);
    for (qsizetype i = 0; i < devices.size() && !CCliSession::interrupted(); ++i) {
        session.progress(QStringLiteral("Reading device %1 of %2 (UID %3 behind %4)")
                             .arg(i + 1)
                             .arg(devices.size())
                             .arg(devices[i].uid)
                             .arg(dotted(devices[i].gateway)));
        session.send(CCommands::busDeviceQuery(static_cast<int>(devices[i].uid)),
                     devices[i].gateway);
        session.pace();
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

int CCliCollectCommand::finish(CCliSession& session, const QList<Device>& silent) {
    const bool partial = CCliSession::interrupted();
    if (!session.document().saveMapFile(m_mapFile)) {
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

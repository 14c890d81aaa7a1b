#include "cli/CCliDiscoverCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

QString CCliDiscoverCommand::name() const {
    return QStringLiteral("discover");
}

QString CCliDiscoverCommand::summary() const {
    return QStringLiteral("broadcast \"&NAME=?;\" and list the gateways that answer");
}

QString CCliDiscoverCommand::description() const {
    return QStringLiteral(
        "Broadcasts \"&NAME=?;\" through the adapter and prints one line per gateway that\n"
        "answers: its address, a tab, its name. With --json: {\"gateways\": [{\"ip\", "
        "\"name\"}]}.");
}

QList<QCommandLineOption> CCliDiscoverCommand::options() const {
    return {CCliOptions::json()};
}

QString CCliDiscoverCommand::configure(const QCommandLineParser& parser,
                                       const QStringList& arguments) {
    m_json = parser.isSet(CCliOptions::json().names().front());
    return arguments.isEmpty() ? QString()
                               : QStringLiteral("unexpected argument '%1'").arg(arguments.front());
}

int CCliDiscoverCommand::run(CCliSession& session) {
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    if (!session.send(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast)) {
        return CCliExit::kNetwork;
    }
    session.waitForReplies();
    const QList<QByteArray> gateways = session.gatewayAddresses();
    QJsonArray list;
    for (const QByteArray& ip : gateways) {
        const QByteArray name = session.replies().gatewaySetting(ip, "NAME");
        if (m_json) {
            list.append(QJsonObject{{QStringLiteral("ip"), QString::fromLatin1(ip)},
                                    {QStringLiteral("name"), QString::fromLatin1(name)}});
        } else {
            session.printBytes(ip + '\t' + name + '\n');
        }
    }
    if (m_json) {
        session.printJson(QJsonObject{{QStringLiteral("gateways"), list}});
    }
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    return gateways.isEmpty() ? CCliExit::kNothingAnswered : CCliExit::kOk;
}

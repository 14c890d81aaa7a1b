#include "cli/CCliQueryCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/plan/CSecretRule.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"

#include <QCommandLineParser>
#include <QJsonObject>

QString CCliQueryCommand::name() const {
    return QStringLiteral("query");
}

QString CCliQueryCommand::arguments() const {
    return QStringLiteral("IP");
}

QString CCliQueryCommand::summary() const {
    return QStringLiteral("print every setting of one gateway");
}

QString CCliQueryCommand::description() const {
    return QStringLiteral(
        "Sends \"&=?;\" to the gateway at IP and prints each setting it reports as\n"
        "\"path=value\" (path: port, group, key and index joined by \".\"). With --json:\n"
        "{\"gateway\": IP, \"settings\": {path: value}}. A credential's value (such as\n"
        "TELNET.PASSWORD) reads \"(set)\" or \"(empty)\" unless --with-secrets. Exits 3\n"
        "when the gateway is silent.");
}

QList<QCommandLineOption> CCliQueryCommand::options() const {
    return {CCliOptions::json(), CCliOptions::withSecrets()};
}

QString CCliQueryCommand::configure(const QCommandLineParser& parser,
                                    const QStringList& arguments) {
    if (arguments.size() != 1) {
        return QStringLiteral("query takes one gateway address");
    }
    m_target = arguments.front();
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    return {};
}

int CCliQueryCommand::run(CCliSession& session) {
    const std::optional<quint32> address = session.address(m_target);
    if (!address) {
        return CCliExit::kUsage;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    if (!session.send(CCommands::gatewayFullQuery(), *address)) {
        return CCliExit::kNetwork;
    }
    session.waitForReplies();
    const CSecretRule secrets(session.document().schema(), m_withSecrets);
    QList<QPair<QByteArray, QByteArray>> settings;
    for (auto& [path, value] :
         session.replies().gatewaySettings(CIpv4Address::toDotted(*address))) {
        const std::optional<CSettingAddress> place = CSettingAddress::parse(path);
        settings.append({path, place ? secrets.shown(*place, value) : value});
    }
    if (m_json) {
        QJsonObject values;
        for (const auto& [path, value] : settings) {
            values.insert(QString::fromLatin1(path), QString::fromLatin1(value));
        }
        session.printJson(QJsonObject{
            {QStringLiteral("gateway"), QString::fromLatin1(CIpv4Address::toDotted(*address))},
            {QStringLiteral("settings"), values}});
    } else {
        for (const auto& [path, value] : settings) {
            session.printBytes(path + '=' + value + '\n');
        }
    }
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    return settings.isEmpty() ? CCliExit::kNothingAnswered : CCliExit::kOk;
}

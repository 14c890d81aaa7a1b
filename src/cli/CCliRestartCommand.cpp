#include "cli/CCliRestartCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"

QString CCliRestartCommand::name() const {
    return QStringLiteral("restart");
}

QString CCliRestartCommand::arguments() const {
    return QStringLiteral("IP");
}

QString CCliRestartCommand::summary() const {
    return QStringLiteral("restart one gateway");
}

QString CCliRestartCommand::description() const {
    return QStringLiteral(
        "Sends \"&VERSION_HW=RESET;\" to the gateway at IP (never to all of them): it\n"
        "restarts and is silent for a while. Exits 0 once the command is sent.");
}

QString CCliRestartCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    Q_UNUSED(parser);
    if (arguments.size() != 1) {
        return QStringLiteral("restart takes one gateway address");
    }
    m_target = arguments.front();
    return {};
}

int CCliRestartCommand::run(CCliSession& session) {
    const std::optional<quint32> address = session.address(m_target);
    if (!address) {
        return CCliExit::kUsage;
    }
    if (*address == CIpv4Address::kBroadcast) {
        session.report(QStringLiteral("restart takes one gateway's own address, not all"));
        return CCliExit::kUsage;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    if (!session.send(CCommands::gatewayRestart(), *address)) {
        return CCliExit::kNetwork;
    }
    session.progress(QStringLiteral("%1 restarts").arg(m_target));
    return CCliExit::kOk;
}

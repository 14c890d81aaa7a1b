#include "CCliSetCommand.h"

#include "CCliExit.h"
#include "CCliSession.h"

#include "common/CQtTimerSource.h"
#include "protocol/CCommands.h"
#include "protocol/CValueValidator.h"
#include "sequence/CSequencer.h"
#include "transport/CIpv4Address.h"

#include <chrono>

QString CCliSetCommand::name() const {
    return QStringLiteral("set");
}

QString CCliSetCommand::arguments() const {
    return QStringLiteral("IP PATH=VALUE");
}

QString CCliSetCommand::summary() const {
    return QStringLiteral("change one setting of a gateway and wait for its echo");
}

QString CCliSetCommand::description() const {
    return QStringLiteral(
        "Sends \"&PATH=VALUE;\" to the gateway at IP, as the gateway view does (PATH:\n"
        "[port.][group.]key[.index], such as NAME, NETWORK.DHCP, A.SERIAL.TYPE or\n"
        "TELNET.LOGIN.2), and waits for the gateway to report the new value. Prints\n"
        "\"PATH=VALUE\" and exits 0 only then. A gateway that stays silent is asked for the\n"
        "setting: exits 7 when it reports another value, 3 when it does not answer at all.\n"
        "A value holding \";\", a control character or a character outside Latin-1 is\n"
        "refused before anything is sent (exit 2).");
}

QString CCliSetCommand::configure(const QCommandLineParser& parser, const QStringList& arguments) {
    Q_UNUSED(parser);
    if (arguments.size() != 2) {
        return QStringLiteral("set takes a gateway address and PATH=VALUE");
    }
    m_target = arguments[0];
    const QString& assignment = arguments[1];
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return QStringLiteral("set takes PATH=VALUE, not %1").arg(assignment);
    }
    const CValueValidator::Result path = CValueValidator::check(assignment.left(equals));
    const std::optional<CSettingPath> parts =
        path.accepted() ? CSettingPath::parse(path.wire) : std::nullopt;
    if (!parts) {
        return QStringLiteral("%1 names no setting").arg(assignment.left(equals));
    }
    m_path = *parts;
    const CValueValidator::Result value = CValueValidator::check(assignment.mid(equals + 1));
    if (!value.accepted()) {
        return value.refusal;
    }
    m_value = value.wire;
    return {};
}

int CCliSetCommand::run(CCliSession& session) {
    const std::optional<quint32> address = session.address(m_target);
    if (!address) {
        return CCliExit::kUsage;
    }
    if (*address == CIpv4Address::kBroadcast) {
        session.report(QStringLiteral("set changes one gateway; give its own address"));
        return CCliExit::kUsage;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    const QByteArray gateway = CIpv4Address::toDotted(*address);
    const QByteArray path = m_path.text();
    std::optional<QByteArray> reported;
    QObject::connect(
        &session.document(), &CUbrixVorelDoc::settingEntered, &session.document(),
        [&](const CEnteredSetting& setting) {
            if (setting.isGateway() && setting.gateway == gateway && setting.path() == path) {
                reported = setting.value;
            }
        });

    const std::chrono::milliseconds wait(session.options().waitMs);
    bool sent = false;
    int step = 0;
    const CSequenceRun::StepSource steps = [&]() -> std::optional<CPacedStep> {
        switch (step++) {
            case 0:
                return CPacedStep{[&](CSequenceRun&) {
                                      sent = session.send(CCommands::gatewaySetting(
                                                              m_path.port, m_path.group, m_path.key,
                                                              m_path.index, m_value, ";"),
                                                          *address);
                                      return sent;
                                  },
                                  wait, CAwait::echo(gateway, path, m_value)};
            case 1:
                if (reported == m_value) {
                    return std::nullopt;
                }
                // No echo: what does the gateway hold now?
                return CPacedStep{[&](CSequenceRun&) {
                                      return session.send(CCommands::gatewaySetting(
                                                              m_path.port, m_path.group, m_path.key,
                                                              m_path.index, "?", ";"),
                                                          *address);
                                  },
                                  wait,
                                  {[&](const CEnteredSetting&) { return reported.has_value(); },
                                   std::chrono::milliseconds(0)}};
            default:
                return std::nullopt;
        }
    };
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(session.document());
    session.runToEnd(*sequencer.start(name(), steps, CPacing::ByReplies));

    if (!sent) {
        return CCliExit::kNetwork;
    }
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    if (reported == m_value) {
        session.printBytes(path + '=' + m_value + '\n');
        return CCliExit::kOk;
    }
    if (reported) {
        session.report(QStringLiteral("the gateway at %1 did not take the value: it reports %2=%3")
                           .arg(QString::fromLatin1(gateway), QString::fromLatin1(path),
                                QString::fromLatin1(*reported)));
        return CCliExit::kNotTaken;
    }
    session.report(
        QStringLiteral("the gateway at %1 did not answer").arg(QString::fromLatin1(gateway)));
    return CCliExit::kNothingAnswered;
}

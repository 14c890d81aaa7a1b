#include "cli/CCliSetCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include "cli/CCliOptions.h"
#include "core/common/CQtTimerSource.h"

#include "core/plan/CSecretRule.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"

#include <QRegularExpression>
#include <chrono>

namespace {
// The largest UID a bus device takes: the bus view's field holds six digits.
constexpr uint kMaxUid = 999999;
}  // namespace

QString CCliSetCommand::name() const {
    return QStringLiteral("set");
}

QString CCliSetCommand::arguments() const {
    return QStringLiteral("IP PATH=VALUE");
}

QString CCliSetCommand::summary() const {
    return QStringLiteral("change one setting of a gateway or bus device and wait for its echo");
}

QString CCliSetCommand::description() const {
    return QStringLiteral(
        "Sends \"&PATH=VALUE;\" to the gateway at IP, as the gateway view does (PATH:\n"
        "[port.][group.]key[.index], such as NAME, NETWORK.DHCP, A.SERIAL.TYPE or\n"
        "TELNET.LOGIN.2), and waits for the gateway to report the new value. Prints\n"
        "\"PATH=VALUE\" and exits 0 only then. A gateway that stays silent is asked for the\n"
        "setting: exits 7 when it reports another value, 3 when it does not answer at all.\n"
        "A value holding \";\", \"?\", a control character or a character outside\n"
        "Latin-1 is refused before anything is sent (exit 2); so is a value that is not of\n"
        "the setting's type in the validation schema, a port above 65535 say (exit 8).\n"
        "A credential's value (such as TELNET.PASSWORD) reads \"(set)\" or \"(empty)\" in\n"
        "what is printed, unless --with-secrets.\n"
        "With UIDn.PATH=VALUE the setting is one of the device with UID n on the gateway's\n"
        "bus: \"#UIDn.PATH=VALUE;\" is sent with the value in upper case, as the bus view\n"
        "sends it, and the device's echo is waited for.");
}

QList<QCommandLineOption> CCliSetCommand::options() const {
    return {CCliOptions::withSecrets()};
}

QString CCliSetCommand::configure(const QCommandLineParser& parser, const QStringList& arguments) {
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    if (arguments.size() != 2) {
        return QStringLiteral("set takes a gateway address and PATH=VALUE");
    }
    m_target = arguments[0];
    QString assignment = arguments[1];
    // "UID5.LED.DISSOLVE=20": a setting of the bus device with UID 5.
    static const QRegularExpression device(QStringLiteral("^UID(\\d+)\\.(.*)$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch match = device.match(assignment); match.hasMatch()) {
        bool number = false;
        const uint uid = match.captured(1).toUInt(&number);
        if (!number || uid < 1 || uid > kMaxUid) {
            return QStringLiteral("UID%1 is no UID: a number from 1 to %2")
                .arg(match.captured(1))
                .arg(kMaxUid);
        }
        m_uid = uid;
        assignment = match.captured(2);
    }
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return QStringLiteral("set takes PATH=VALUE, not %1").arg(assignment);
    }
    const CValueValidator::Result path = CValueValidator::check(assignment.left(equals));
    const std::optional<CSettingAddress> address =
        path.accepted() ? CSettingAddress::parse(path.wire) : std::nullopt;
    if (!address) {
        return QStringLiteral("%1 names no setting").arg(assignment.left(equals));
    }
    m_address = *address;
    // A device gets its values in capitals, as the bus view sends them.
    const QString typed = assignment.mid(equals + 1);
    const CValueValidator::Result value =
        CValueValidator::check(m_uid ? CValueValidator::busDeviceForm(typed) : typed);
    if (!value.accepted()) {
        return value.refusal;
    }
    m_value = value.wire;
    return {};
}

QString CCliSetCommand::typeRefusal(const pugi::xml_document& schema) const {
    // The device's type is not known here: a value that one of the types that have the
    // setting takes may go, one that none takes may not.
    QString firstProblem;
    for (const pugi::xml_node& entry : CValidationSchema(schema).everyTypesSetting(m_address)) {
        const QString problem =
            CValidationSchema::valueType(entry).problem(QString::fromLatin1(m_value));
        if (problem.isEmpty()) {
            return {};
        }
        if (firstProblem.isEmpty()) {
            firstProblem = problem;
        }
    }
    if (firstProblem.isEmpty()) {
        return {};
    }
    const QByteArray shown = CSecretRule(schema, m_withSecrets).shown(m_address, m_value);
    return CValueValidator::typeRefusal(QString::fromLatin1(m_address.text()),
                                        QString::fromLatin1(shown), firstProblem);
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
    // The schema is the document's, read when the session started; nothing was sent yet.
    if (const QString refusal = typeRefusal(session.document().schema()); !refusal.isEmpty()) {
        session.report(refusal);
        return CCliExit::kRefused;
    }
    const QByteArray gateway = CIpv4Address::toDotted(*address);
    const QByteArray path = m_address.text();
    const QByteArray uid = m_uid ? QByteArray::number(*m_uid) : QByteArray();
    // Whose setting: the gateway's own, or that of the device with the UID on its bus.
    const auto isTarget = [&](const CEnteredSetting& setting) {
        return setting.gateway == gateway && setting.address.text() == path &&
               (m_uid ? !setting.isGateway() && setting.number == uid : setting.isGateway());
    };
    const auto command = [&](const QByteArray& value) {
        return m_uid ? CCommands::busDeviceSetting(*m_uid, m_address, value, ";")
                     : CCommands::gatewaySetting(m_address, value, ";");
    };
    std::optional<QByteArray> reported;
    QObject::connect(&session.document(), &CUbrixVorelDoc::settingEntered, &session.document(),
                     [&](const CEnteredSetting& setting) {
                         if (isTarget(setting)) {
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
                                      sent = session.send(command(m_value), *address);
                                      return sent;
                                  },
                                  wait,
                                  {[&](const CEnteredSetting& setting) {
                                       return isTarget(setting) && setting.value == m_value;
                                   },
                                   std::chrono::milliseconds(0)}};
            case 1:
                if (reported == m_value) {
                    return std::nullopt;
                }
                // No echo: what does the gateway hold now?
                return CPacedStep{
                    [&](CSequenceRun&) { return session.send(command("?"), *address); },
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
    const auto who = [&] {
        return m_uid ? QStringLiteral("UID %1 behind %2")
                           .arg(*m_uid)
                           .arg(QString::fromLatin1(gateway))
                     : QStringLiteral("the gateway at %1").arg(QString::fromLatin1(gateway));
    };
    const CSecretRule secrets(session.document().schema(), m_withSecrets);
    if (reported == m_value) {
        session.printBytes((m_uid ? "UID" + uid + '.' : QByteArray()) +
                           shownAssignment(secrets, m_value) + '\n');
        return CCliExit::kOk;
    }
    if (reported) {
        session.report(QStringLiteral("%1 did not take the value: it reports %2")
                           .arg(who(), QString::fromLatin1(shownAssignment(secrets, *reported))));
        return CCliExit::kNotTaken;
    }
    session.report(QStringLiteral("%1 did not answer").arg(who()));
    return CCliExit::kNothingAnswered;
}

QByteArray CCliSetCommand::shownAssignment(const CSecretRule& secrets,
                                           const QByteArray& value) const {
    return m_address.text() + '=' + secrets.shown(m_address, value);
}

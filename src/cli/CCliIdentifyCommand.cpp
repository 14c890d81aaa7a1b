#include "cli/CCliIdentifyCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include "core/bus/CBusActions.h"

#include <QCommandLineParser>

namespace {
const QString kUid = QStringLiteral("uid");
const QString kSerial = QStringLiteral("serial");

std::optional<quint32> number(const QCommandLineParser& parser, const QString& option,
                              QString& error) {
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    bool isNumber = false;
    const quint32 value = parser.value(option).toUInt(&isNumber);
    if (!isNumber) {
        error = QStringLiteral("--%1 takes a number, not '%2'").arg(option, parser.value(option));
    }
    return value;
}
}  // namespace

QString CCliIdentifyCommand::name() const {
    return QStringLiteral("identify");
}

QString CCliIdentifyCommand::arguments() const {
    return QStringLiteral("IP");
}

QString CCliIdentifyCommand::summary() const {
    return QStringLiteral("make a gateway, or a device of its bus, show itself");
}

QString CCliIdentifyCommand::description() const {
    return QStringLiteral(
        "Sends \"&=IDENTIFY\" to the gateway at IP, or with --uid N \"#UID<N>=IDENTIFY;\",\n"
        "or with --serial SN \"#SN<SN>=IDENTIFY;\" for a device of its bus. Nothing answers:\n"
        "look for the blinking device. Exits 0 once the command went out.");
}

QList<QCommandLineOption> CCliIdentifyCommand::options() const {
    return {
        QCommandLineOption(kUid, QStringLiteral("the device with this UID"), QStringLiteral("N")),
        QCommandLineOption(kSerial, QStringLiteral("the device with this serial number"),
                           QStringLiteral("SN"))};
}

QString CCliIdentifyCommand::configure(const QCommandLineParser& parser,
                                       const QStringList& arguments) {
    if (arguments.size() != 1) {
        return QStringLiteral("identify takes one gateway address");
    }
    if (parser.isSet(kUid) && parser.isSet(kSerial)) {
        return QStringLiteral("identify takes --uid or --serial, not both");
    }
    m_gateway = arguments.front();
    QString error;
    m_uid = number(parser, kUid, error);
    m_serial = number(parser, kSerial, error);
    return error;
}

int CCliIdentifyCommand::run(CCliSession& session) {
    const std::optional<quint32> address = session.address(m_gateway);
    if (!address) {
        return CCliExit::kUsage;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    // As the bus view's Identify on the gateway or on one of its devices.
    const CBusTarget target = m_uid      ? CBusTarget::device(*address, "UID", *m_uid)
                              : m_serial ? CBusTarget::device(*address, "SN", *m_serial)
                                         : CBusTarget::gateway(*address);
    const CBusAction action = CBusActions::identify(session.document().plan(), target);
    return session.send(action.command, action.destination) ? CCliExit::kOk : CCliExit::kNetwork;
}

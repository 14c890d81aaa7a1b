#include "cli/CCliAddressCommand.h"

#include "cli/CCliAnnouncement.h"
#include "cli/CCliExit.h"
#include "cli/CCliNumberOption.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/bus/CBusActions.h"

#include <QCommandLineParser>

namespace {
const QString kSerial = QStringLiteral("serial");
const QString kUid = QStringLiteral("uid");
const QString kVia = QStringLiteral("via");
const QString kArm = QStringLiteral("arm");
const QString kTimeout = QStringLiteral("timeout");
constexpr int kSerialTimeoutSeconds = 5;
constexpr int kArmTimeoutSeconds = 120;
constexpr int kMaxUid = 999999;
}  // namespace

QString CCliAddressCommand::name() const {
    return QStringLiteral("address");
}

QString CCliAddressCommand::summary() const {
    return QStringLiteral("give a bus device its UID, by serial number or discover button");
}

QString CCliAddressCommand::description() const {
    return QStringLiteral(
        "With --serial SN --uid N --via IP: sends \"#SN<SN>.UID=<N>;\" to the gateway at IP.\n"
        "With --arm --uid N: sends \"#UID=<N>;\" to the gateway given by --via (or to every\n"
        "gateway) and waits for the discover button of a device to be pressed.\n"
        "Either way it waits (--timeout seconds: 5, or 120 with --arm) until the device\n"
        "announces \"+UID<N>\", prints \"GATEWAY UID N\" and exits 0; when no device\n"
        "confirmed the UID in time it says so and exits 3.");
}

QList<QCommandLineOption> CCliAddressCommand::options() const {
    return {
        CCliOptions::serial(),
        CCliOptions::uid(),
        CCliOptions::via(),
        CCliOptions::arm(),
        QCommandLineOption(kTimeout, QStringLiteral("how long to wait for the device (seconds)"),
                           QStringLiteral("S")),
    };
}

QString CCliAddressCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    const bool arm = parser.isSet(kArm);
    if (arm == parser.isSet(kSerial)) {
        return QStringLiteral("address needs either --serial SN or --arm");
    }
    if (!parser.isSet(kUid)) {
        return QStringLiteral("address needs --uid N");
    }
    m_via = parser.value(kVia);
    if (!arm && m_via.isEmpty()) {
        return QStringLiteral("address --serial needs --via IP");
    }
    if (const QString error = CCliNumberOption{kUid, 1, kMaxUid, m_uid}.read(parser);
        !error.isEmpty()) {
        return error;
    }
    m_timeoutSeconds = arm ? kArmTimeoutSeconds : kSerialTimeoutSeconds;
    if (const QString error = CCliNumberOption{kTimeout, 1, 3600, m_timeoutSeconds}.read(parser);
        !error.isEmpty()) {
        return error;
    }
    if (!arm) {
        bool isNumber = false;
        m_serial = parser.value(kSerial).toUInt(&isNumber);
        if (!isNumber) {
            return QStringLiteral("--serial takes a serial number, not '%1'")
                .arg(parser.value(kSerial));
        }
    }
    return {};
}

int CCliAddressCommand::run(CCliSession& session) {
    if (const int failed = session.startTowards(m_via); failed != CCliExit::kOk) {
        return failed;
    }
    // As the bus view's "Set" on a gateway (the device's discover button gives it) or on a
    // device known by its serial number; a script is not asked about a UID given twice.
    const quint32 gateway = session.destination();
    const CBusAction action = CBusActions::assignUid(
        session.document().plan(),
        m_serial ? CBusTarget::device(gateway, "SN", *m_serial) : CBusTarget::gateway(gateway),
        static_cast<quint32>(m_uid));
    std::optional<CCliAnnouncement> confirmed;
    session.onTrafficLine([&](const QByteArray& line) {
        const std::optional<CCliAnnouncement> announced = CCliAnnouncement::of(line);
        if (announced && action.awaited &&
            action.awaited->isAnnouncedBy(announced->gateway, announced->attribute,
                                          announced->number)) {
            confirmed = announced;
        }
    });
    if (!session.send(action.command, action.destination)) {
        return CCliExit::kNetwork;
    }
    if (!m_serial) {
        session.progress(QStringLiteral("Press the discover button of the device that is to "
                                        "take UID %1.")
                             .arg(m_uid));
    }
    session.waitUntil([&confirmed] { return confirmed.has_value(); },
                      std::chrono::seconds(m_timeoutSeconds));
    if (confirmed) {
        session.printBytes(confirmed->text() + '\n');
        return CCliExit::kOk;
    }
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    session.report(m_serial ? QStringLiteral("SN %1 behind %2 did not confirm UID %3")
                                  .arg(*m_serial)
                                  .arg(m_via)
                                  .arg(m_uid)
                            : QStringLiteral("no device took UID %1").arg(m_uid));
    return CCliExit::kNothingAnswered;
}

#include "cli/CCliRegisterCommand.h"

#include "cli/CCliAnnouncement.h"
#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include "core/bus/CBusActions.h"

#include <QCommandLineParser>
#include <QSet>

namespace {
const QString kTo = QStringLiteral("to");
}  // namespace

QString CCliRegisterCommand::name() const {
    return QStringLiteral("register");
}

QString CCliRegisterCommand::summary() const {
    return QStringLiteral("make the devices of a bus (or of every bus) announce themselves");
}

QString CCliRegisterCommand::description() const {
    return QStringLiteral(
        "Sends \"#UID=REGISTER;\" to the gateway given by --to, or to every gateway, and\n"
        "prints each device that announces itself as \"GATEWAY UID n\" or, for a device\n"
        "without a UID yet, \"GATEWAY SN n\". Exits 3 when no device announced itself.");
}

QList<QCommandLineOption> CCliRegisterCommand::options() const {
    return {QCommandLineOption(kTo, QStringLiteral("the gateway whose bus (default: every bus)"),
                               QStringLiteral("IP"))};
}

QString CCliRegisterCommand::configure(const QCommandLineParser& parser,
                                       const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_to = parser.value(kTo);
    return {};
}

int CCliRegisterCommand::run(CCliSession& session) {
    if (const int failed = session.startTowards(m_to); failed != CCliExit::kOk) {
        return failed;
    }
    QSet<QByteArray> heard;
    session.onTrafficLine([&](const QByteArray& line) {
        const std::optional<CCliAnnouncement> announced = CCliAnnouncement::of(line);
        if (announced && !heard.contains(announced->text())) {
            heard.insert(announced->text());
            session.printBytes(announced->text() + '\n');
        }
    });
    // As the bus view's "Devices" with that gateway selected, or with nothing selected.
    const CBusAction action = CBusActions::registration(session.document().plan(),
                                                        CBusTarget::gateway(session.destination()));
    if (!session.send(action.command, action.destination)) {
        return CCliExit::kNetwork;
    }
    session.waitForReplies();
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    return heard.isEmpty() ? CCliExit::kNothingAnswered : CCliExit::kOk;
}

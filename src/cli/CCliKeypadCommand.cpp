#include "cli/CCliKeypadCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSendCommand.h"
#include "cli/CCliSession.h"

#include "core/keypads/CKeypadCommandLine.h"
#include "core/protocol/CTrafficLineParts.h"

#include <QCommandLineParser>

QString CCliKeypadCommand::name() const {
    return QStringLiteral("keypad");
}

QString CCliKeypadCommand::arguments() const {
    return QStringLiteral("[motor|sun] ZONE.GROUP.NODE ACTION [N]");
}

QString CCliKeypadCommand::summary() const {
    return QStringLiteral("drive lights and motors as the virtual keypads do; print their status");
}

QString CCliKeypadCommand::description() const {
    return QStringLiteral(
        "Sends what the program's virtual keypads send, byte for byte, to the keypad\n"
        "address ZONE.GROUP.NODE (node 0: the whole group), broadcast or to the gateway\n"
        "given by --to, and prints the status lines the devices report back.\n"
        "  LED keypad:  2.1.0 on|off|stop|fade-up|fade-down|sat-up|sat-down|hue-up|hue-down\n"
        "               2.1.0 recall|store|effect N        (N from 1 to 255)\n"
        "               2.1.0 set|hue|sat|red|green|blue|white|sun LEVEL   (0 to 240)\n"
        "               2.1.0 cct KELVIN                   (1700 to 9000)\n"
        "  motor:       motor 1.1.1 up|down|stop|retract|recall N|store N\n"
        "               motor 1.1.1 goto PERCENT           (0 to 100, as 50.25)\n"
        "  sun dialog:  sun 2.1.1 LEVEL                    (0 night to 240 daylight)\n"
        "Exits 3 when no status came back.");
}

QList<QCommandLineOption> CCliKeypadCommand::options() const {
    return {CCliOptions::to(), CCliOptions::noTime(), CCliOptions::noSender(), CCliOptions::json()};
}

QString CCliKeypadCommand::configure(const QCommandLineParser& parser,
                                     const QStringList& arguments) {
    const CKeypadCommandLine::Result built = CKeypadCommandLine::build(arguments);
    if (!built.error.isEmpty()) {
        return QStringLiteral("keypad: ") + built.error;
    }
    m_text = built.text;
    m_destination = parser.value(CCliOptions::to());
    m_printer.configure(parser);
    return {};
}

bool CCliKeypadCommand::isStatusLine(QByteArrayView text) {
    return text.size() > 1 && text[0] == '!' && text[1] >= '0' && text[1] <= '9';
}

int CCliKeypadCommand::run(CCliSession& session) {
    int statuses = 0;
    const int sent = CCliSendCommand::sendAndPrint(
        session, m_text, m_destination, m_printer,
        [](const CTrafficLineParts& line) { return isStatusLine(line.text); }, statuses);
    if (sent != CCliExit::kOk) {
        return sent;
    }
    if (statuses == 0) {
        session.report(QStringLiteral("no status came back for %1")
                           .arg(QString::fromLatin1(m_text.trimmed())));
        return CCliExit::kNothingAnswered;
    }
    return CCliExit::kOk;
}

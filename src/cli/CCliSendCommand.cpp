#include "cli/CCliSendCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/protocol/CTrafficLineParts.h"

#include <QCommandLineParser>

namespace {
const QString kCr = QStringLiteral("cr");
}  // namespace

QString CCliSendCommand::name() const {
    return QStringLiteral("send");
}

QString CCliSendCommand::arguments() const {
    return QStringLiteral("TEXT");
}

QString CCliSendCommand::summary() const {
    return QStringLiteral("send a command text (broadcast without --to) and print replies");
}

QString CCliSendCommand::description() const {
    return QStringLiteral(
        "Sends TEXT unchanged to the gateway given by --to, or broadcasts it, and prints\n"
        "the replies that come back as the traffic view shows them (with --to, only that\n"
        "gateway's). Exits 3 when nothing answered.");
}

QList<QCommandLineOption> CCliSendCommand::options() const {
    return {
        CCliOptions::to(),
        QCommandLineOption(kCr, QStringLiteral("end the text with CR, as the program's Send does")),
        CCliOptions::noTime(),
        CCliOptions::noSender(),
        CCliOptions::json(),
    };
}

QString CCliSendCommand::configure(const QCommandLineParser& parser, const QStringList& arguments) {
    if (arguments.size() != 1) {
        return QStringLiteral("send takes one command text");
    }
    m_text = arguments.front().toLatin1();
    if (parser.isSet(kCr)) {
        m_text += '\r';
    }
    m_destination = parser.value(CCliOptions::to());
    m_printer.configure(parser);
    return {};
}

int CCliSendCommand::sendAndPrint(CCliSession& session, const QByteArray& text,
                                  const QString& destination, CCliTrafficPrinter& printer,
                                  const LineFilter& wanted, int& printed) {
    if (const int failed = session.startTowards(destination); failed != CCliExit::kOk) {
        return failed;
    }
    session.onTrafficLine([&](const QByteArray& line) {
        const CTrafficLineParts parts = CTrafficLineParts::of(line);
        if (session.isFromDestination(parts.sender) && wanted(parts)) {
            printed += printer.print(session, line) ? 1 : 0;
        }
    });
    if (!session.send(text, session.destination())) {
        return CCliExit::kNetwork;
    }
    session.waitForReplies();
    session.onTrafficLine(nullptr);
    return CCliSession::interrupted() ? CCliExit::kInterrupted : CCliExit::kOk;
}

int CCliSendCommand::run(CCliSession& session) {
    int answers = 0;
    const int sent = sendAndPrint(
        session, m_text, m_destination, m_printer, [](const CTrafficLineParts&) { return true; },
        answers);
    if (sent != CCliExit::kOk) {
        return sent;
    }
    return answers > 0 ? CCliExit::kOk : CCliExit::kNothingAnswered;
}

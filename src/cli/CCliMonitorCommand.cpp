#include "cli/CCliMonitorCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliNumberOption.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include <QCommandLineParser>
#include <QElapsedTimer>

namespace {
const QString kDuration = QStringLiteral("duration");
const QString kFilter = QStringLiteral("filter");
}  // namespace

QString CCliMonitorCommand::name() const {
    return QStringLiteral("monitor");
}

QString CCliMonitorCommand::summary() const {
    return QStringLiteral("print the traffic as it comes in");
}

QString CCliMonitorCommand::description() const {
    return QStringLiteral(
        "Prints every line that arrives, as the traffic view shows it, until interrupted\n"
        "(exit 0) or --duration is over. Sends nothing. --filter keeps the lines whose\n"
        "sender or text contains TEXT, whatever the case, as the traffic view's filter does.\n"
        "With --json: one object per line, {\"time\", \"sender\", \"text\"}.");
}

QList<QCommandLineOption> CCliMonitorCommand::options() const {
    return {
        QCommandLineOption(kDuration, QStringLiteral("stop after S seconds (0: until interrupted)"),
                           QStringLiteral("S"), QStringLiteral("0")),
        QCommandLineOption(kFilter, QStringLiteral("only lines whose sender or text contains TEXT"),
                           QStringLiteral("TEXT")),
        CCliOptions::noTime(),
        CCliOptions::noSender(),
        CCliOptions::json(),
    };
}

QString CCliMonitorCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_printer.configure(parser);
    m_printer.setFilter(CTrafficFilter(parser.value(kFilter)));
    return CCliNumberOption{kDuration, 0, 86400 * 365, m_durationSeconds}.read(parser);
}

int CCliMonitorCommand::run(CCliSession& session) {
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    session.onTrafficLine([&](const QByteArray& line) { m_printer.print(session, line); });
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 limit = static_cast<qint64>(m_durationSeconds) * 1000;
    while (!CCliSession::interrupted() && (limit == 0 || elapsed.elapsed() < limit)) {
        session.waitFor(std::chrono::milliseconds(50));
    }
    session.drainQueue();
    session.onTrafficLine(nullptr);
    return CCliExit::kOk;
}

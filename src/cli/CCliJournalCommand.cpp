#include "cli/CCliJournalCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/journal/CJournalFile.h"
#include "core/plan/CSecretRule.h"

#include <QCommandLineParser>

namespace {
const QString kSince = QStringLiteral("since");
}  // namespace

QString CCliJournalCommand::name() const {
    return QStringLiteral("journal");
}

QString CCliJournalCommand::summary() const {
    return QStringLiteral("print the journal of every change sent to the site");
}

QString CCliJournalCommand::description() const {
    return QStringLiteral(
        "Prints the journal that the program and vorel-cli keep in the user's data folder:\n"
        "every change they sent (a setting, an address, an upload's sets, a restart, a\n"
        "preset file, a replacement), oldest first, one a line: the time (UTC), the tool,\n"
        "the action, the gateway, the device, the command and its outcome (echoed,\n"
        "silent, refused). A credential's value is never journalled: its command shows\n"
        "\"(set)\" or \"(empty)\", in an older journal too. --since DATE (2025-03-01, or "
        "2025-03-01T09:30:00Z) leaves out older\n"
        "changes; --json prints each as the journal holds it, one JSON object a line.\n"
        "Exits 0, or 8 when the journal cannot be read.");
}

QList<QCommandLineOption> CCliJournalCommand::options() const {
    return {QCommandLineOption(kSince, QStringLiteral("only changes from then on (UTC)"),
                               QStringLiteral("DATE")),
            CCliOptions::json()};
}

QDateTime CCliJournalCommand::readSince(const QString& text) {
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid()) {
        return QDateTime(day, QTime(0, 0), Qt::UTC);
    }
    QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (moment.isValid() && moment.timeSpec() == Qt::LocalTime) {
        moment.setTimeSpec(Qt::UTC);
    }
    return moment.toUTC();
}

QString CCliJournalCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_json = parser.isSet(CCliOptions::json().names().front());
    if (parser.isSet(kSince)) {
        m_since = readSince(parser.value(kSince));
        if (!m_since.isValid()) {
            return QStringLiteral(
                       "--since takes a date (2025-03-01) or a time "
                       "(2025-03-01T09:30:00Z), not '%1'")
                .arg(parser.value(kSince));
        }
    }
    return {};
}

int CCliJournalCommand::run(CCliSession& session) {
    std::vector<CJournalEntry> entries;
    QString reason;
    if (!CJournalFile::read(session.journal().path(), entries, reason)) {
        session.report(QStringLiteral("cannot read the journal: %1").arg(reason));
        return CCliExit::kRefused;
    }
    // The schema comes with a new plan; nothing is sent.
    session.document().newPlan();
    const CSecretRule secrets(session.document().schema());
    QByteArray text;
    for (CJournalEntry& entry : entries) {
        if (m_since.isValid() && entry.time < m_since) {
            continue;
        }
        // A journal written before the rule knew every letter case may hold a value.
        entry.command = secrets.shownCommand(entry.command);
        if (m_json) {
            text += entry.toJsonLine() + '\n';
            continue;
        }
        text += QStringList{entry.time.toString(Qt::ISODate),
                            entry.tool,
                            entry.action,
                            entry.gateway,
                            entry.device,
                            entry.command,
                            QString::fromLatin1(CJournalEntry::outcomeName(entry.outcome))}
                    .join(QLatin1Char('\t'))
                    .toUtf8() +
                '\n';
    }
    session.printBytes(text);
    return CCliExit::kOk;
}

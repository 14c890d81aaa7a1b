#include "cli/CCliReportCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/common/CXmlFile.h"
#include "core/common/Version.h"
#include "core/journal/CJournalFile.h"
#include "core/report/CReportHtml.h"
#include "core/report/CSiteReport.h"
#include "print/CReportPdf.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString kMap = QStringLiteral("map");
const QString kProject = QStringLiteral("project");
const QString kJournal = QStringLiteral("journal");
const QString kTitle = QStringLiteral("title");
const QString kOut = QStringLiteral("out");
}  // namespace

QString CCliReportCommand::name() const {
    return QStringLiteral("report");
}

QString CCliReportCommand::summary() const {
    return QStringLiteral("write the hand-over report of a site (HTML or PDF)");
}

QString CCliReportCommand::description() const {
    return QStringLiteral(
        "Writes the hand-over report of the site in the map file (as 'collect' writes it),\n"
        "offline: a title block (--title, the date, the program's version, when the\n"
        "snapshot was taken), a summary (the gateways with address, name, type and\n"
        "firmware; the bus devices behind each with UID, serial number, type, alias and\n"
        "firmware; the counts by type), with --project what differs from the project\n"
        "(the rows an upload preview shows), with --journal the changes of that journal\n"
        "file in order, and every device's settings. --out ending in .pdf writes a PDF,\n"
        "anything else one HTML file with nothing outside it. Credentials (the schema's\n"
        "secret settings, such as TELNET.PASSWORD) read \"(set)\" or \"(empty)\" unless\n"
        "--with-secrets. Texts longer than a report's cell are cut with an ellipsis. Exits\n"
        "0, 8 when an input file cannot be read or the map is no map file, 5 when the\n"
        "report cannot be written.");
}

QList<QCommandLineOption> CCliReportCommand::options() const {
    return {
        QCommandLineOption(kMap, QStringLiteral("the map file (required)"), QStringLiteral("FILE")),
        QCommandLineOption(kProject, QStringLiteral("a project to compare the site with"),
                           QStringLiteral("FILE")),
        QCommandLineOption(kJournal, QStringLiteral("a journal file whose changes to list"),
                           QStringLiteral("J")),
        QCommandLineOption(kTitle, QStringLiteral("the report's title (default: Site report)"),
                           QStringLiteral("TEXT")),
        QCommandLineOption(kOut, QStringLiteral("the report to write, .html or .pdf (required)"),
                           QStringLiteral("FILE")),
        CCliOptions::withSecrets(),
    };
}

QString CCliReportCommand::configure(const QCommandLineParser& parser,
                                     const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    m_map = parser.value(kMap);
    m_project = parser.value(kProject);
    m_journal = parser.value(kJournal);
    m_title = parser.isSet(kTitle) ? parser.value(kTitle) : QStringLiteral("Site report");
    m_out = parser.value(kOut);
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    m_pdf = QFileInfo(m_out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    if (m_map.isEmpty()) {
        return QStringLiteral("report needs --map FILE");
    }
    return m_out.isEmpty() ? QStringLiteral("report needs --out FILE") : QString();
}

int CCliReportCommand::run(CCliSession& session) {
    const auto load = [&session](const QString& path, pugi::xml_document& document) {
        QString reason;
        if (!CXmlFile::load(path, document, reason)) {
            session.report(QStringLiteral("cannot read %1: %2").arg(path, reason));
            return false;
        }
        return true;
    };
    pugi::xml_document map;
    pugi::xml_document project;
    if (!load(m_map, map) || (!m_project.isEmpty() && !load(m_project, project))) {
        return CCliExit::kRefused;
    }
    if (!map.child("Plan")) {
        session.report(QStringLiteral("%1 is no map file (it has no Plan)").arg(m_map));
        return CCliExit::kRefused;
    }
    std::vector<CJournalEntry> journal;
    if (!m_journal.isEmpty()) {
        QString reason;
        if (!QFileInfo::exists(m_journal) || !CJournalFile::read(m_journal, journal, reason)) {
            session.report(QStringLiteral("cannot read the journal %1%2")
                               .arg(m_journal, reason.isEmpty() ? QString() : ": " + reason));
            return CCliExit::kRefused;
        }
    }
    // The schema comes with a new plan; nothing is sent.
    session.document().newPlan();
    CSiteReport::Input input;
    input.map = &map;
    input.schema = &session.document().schema();
    input.project = m_project.isEmpty() ? nullptr : &project;
    input.projectName = QFileInfo(m_project).fileName();
    input.journal = m_journal.isEmpty() ? nullptr : &journal;
    input.title = m_title;
    input.written = QDateTime::currentDateTimeUtc();
    input.version = QLatin1String(vorel::version::kText);
    input.withSecrets = m_withSecrets;
    const CReportDocument report = CSiteReport::document(input);

    QString reason;
    bool written = false;
    if (m_pdf) {
        written = CReportPdf::write(report, m_out, reason);
    } else {
        const QByteArray html = CReportHtml::of(report);
        QSaveFile file(m_out);
        written =
            file.open(QIODevice::WriteOnly) && file.write(html) == html.size() && file.commit();
        reason = file.errorString();
    }
    if (!written) {
        session.report(QStringLiteral("cannot write %1: %2").arg(m_out, reason));
        return CCliExit::kFile;
    }
    session.progress(QStringLiteral("Report written to %1").arg(m_out));
    return CCliExit::kOk;
}

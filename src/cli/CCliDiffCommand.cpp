#include "cli/CCliDiffCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/common/CXmlFile.h"
#include "core/upload/CMapAnswers.h"
#include "core/upload/CUploadListing.h"
#include "core/upload/CUploadOffline.h"

#include <QCommandLineParser>
#include <optional>

namespace {
const QString kMap = QStringLiteral("map");
}  // namespace

QString CCliDiffCommand::name() const {
    return QStringLiteral("diff");
}

QString CCliDiffCommand::summary() const {
    return QStringLiteral("compare a project with a collected map, offline");
}

QString CCliDiffCommand::description() const {
    return QStringLiteral(
        "Compares every gateway and bus device of the project with what the map file (as\n"
        "'collect' or Save Map File writes it) says it reported, without sending anything:\n"
        "the rows an upload would send (with the exact command), already set, or skip and\n"
        "why, and the devices the map does not hold or holds with another type. Text, or\n"
        "JSON with --json. Exits 0 when every device is in the map with the project's type\n"
        "and every setting can be sent as the project wants it, 6 otherwise, 8 when a file\n"
        "cannot be read. A credential's value (such as TELNET.PASSWORD) reads \"(set)\" or\n"
        "\"(empty)\" unless --with-secrets.");
}

QList<QCommandLineOption> CCliDiffCommand::options() const {
    return {
        CCliProjectOptions::projectOption(),
        CCliProjectOptions::gatewaysOption(),
        CCliProjectOptions::devicesOption(),
        QCommandLineOption(kMap, QStringLiteral("the map file (required)"), QStringLiteral("FILE")),
        CCliOptions::json(),
        CCliOptions::withSecrets()};
}

QString CCliDiffCommand::configure(const QCommandLineParser& parser, const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(arguments.front());
    }
    if (const QString wrong = m_project.read(parser, name()); !wrong.isEmpty()) {
        return wrong;
    }
    m_map = parser.value(kMap);
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    return m_map.isEmpty() ? QStringLiteral("diff needs --map FILE") : QString();
}

int CCliDiffCommand::run(CCliSession& session) {
    // The map is read and let go before the project is loaded: a large site's documents
    // would not both fit in the memory a desk computer can spare.
    std::optional<CMapAnswers> map;
    {
        pugi::xml_document document;
        if (!load(session, m_map, document)) {
            return CCliExit::kRefused;
        }
        map = CMapAnswers::of(document);
    }
    pugi::xml_document project;
    if (!load(session, m_project.project, project)) {
        return CCliExit::kRefused;
    }
    // The schema comes with a new plan; nothing is sent.
    session.document().newPlan();
    int code = CCliExit::kOk;
    if (m_json) {
        session.printBytes("{");
    }
    for (const CUploadDevice::Kind kind : m_project.kinds) {
        const CUploadSummary summary = compare(session, project, *map, kind);
        if (summary.exitCode() != CUploadSummary::kExitApplied) {
            code = CCliExit::kIncomplete;
        }
    }
    if (m_json) {
        session.printBytes("}\n");
    }
    return code;
}

bool CCliDiffCommand::load(CCliSession& session, const QString& path,
                           pugi::xml_document& document) {
    QString reason;
    if (!CXmlFile::load(path, document, reason)) {
        session.report(QStringLiteral("cannot read %1: %2").arg(path, reason));
        return false;
    }
    return true;
}

// Written out device by device as each is compared, with only the counts and the rows the
// end lines name kept for the summary.
CUploadSummary CCliDiffCommand::compare(CCliSession& session, const pugi::xml_document& project,
                                        const CMapAnswers& map, CUploadDevice::Kind kind) {
    CUploadSummary summary;
    summary.dryRun = true;
    if (m_json) {
        const QByteArray kindName(CCliProjectOptions::kindName(kind));
        session.printBytes((kind == m_project.kinds.front() ? "\"" : ",\"") + kindName +
                           "\":{\"devices\":[");
    }
    CUploadOffline::compare(
        project, map, session.document().schema(), kind, [&](CDeviceOutcome&& device) {
            if (!m_withSecrets) {
                CUploadSummary::hideSecrets(device);
            }
            if (m_json) {
                session.printBytes((summary.devices.empty() ? QByteArray() : ",") +
                                   CUploadListing::deviceJson(device, true));
            } else {
                session.printBytes(CUploadListing::deviceText(device, true));
            }
            CUploadSummary::letRowsGo(device, true);
            summary.devices.push_back(std::move(device));
        });
    if (m_json) {
        session.printBytes("]" + CUploadListing::endJsonMembers(summary) + "}");
    } else {
        session.print(CUploadListing::endText(summary));
    }
    return summary;
}

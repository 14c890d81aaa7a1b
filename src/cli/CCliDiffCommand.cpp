#include "CCliDiffCommand.h"

#include "CCliExit.h"
#include "CCliOptions.h"
#include "CCliSession.h"

#include "common/CXmlFile.h"
#include "upload/CUploadOffline.h"
#include "upload/CUploadReport.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>

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
        "cannot be read.");
}

QList<QCommandLineOption> CCliDiffCommand::options() const {
    return {
        CCliProjectOptions::projectOption(), CCliProjectOptions::gatewaysOption(),
        CCliProjectOptions::devicesOption(),
        QCommandLineOption(kMap, QStringLiteral("the map file (required)"), QStringLiteral("FILE")),
        CCliOptions::json()};
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
    return m_map.isEmpty() ? QStringLiteral("diff needs --map FILE") : QString();
}

int CCliDiffCommand::run(CCliSession& session) {
    pugi::xml_document project;
    pugi::xml_document map;
    for (const auto& [path, document] :
         {std::pair<const QString&, pugi::xml_document&>{m_project.project, project},
          std::pair<const QString&, pugi::xml_document&>{m_map, map}}) {
        QString reason;
        if (!CXmlFile::load(path, document, reason)) {
            session.report(QStringLiteral("cannot read %1: %2").arg(path, reason));
            return CCliExit::kRefused;
        }
    }
    // The schema comes with a new plan; nothing is sent.
    session.document().newPlan();
    QJsonObject json;
    int code = CCliExit::kOk;
    for (const CUploadDevice::Kind kind : m_project.kinds) {
        const CUploadSummary summary =
            CUploadOffline::compare(project, map, session.document().schema(), kind);
        if (m_json) {
            json.insert(QLatin1String(CCliProjectOptions::kindName(kind)),
                        QJsonDocument::fromJson(CUploadReport::json(summary)).object());
        } else {
            session.print(CUploadReport::text(summary));
        }
        if (summary.exitCode() != CUploadSummary::kExitApplied) {
            code = CCliExit::kIncomplete;
        }
    }
    if (m_json) {
        session.printJson(json);
    }
    return code;
}

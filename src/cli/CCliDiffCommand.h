#pragma once

#include "cli/CCliCommand.h"
#include "cli/CCliProjectOptions.h"

#include "core/upload/CUploadSummary.h"

#include <pugixml.hpp>

class CMapAnswers;

// "diff --project P --map M": the project against a collected map file, without a
// network: the rows an upload would send, and what it would skip and why.
class CCliDiffCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    static bool load(CCliSession& session, const QString& path, pugi::xml_document& document);
    CUploadSummary compare(CCliSession& session, const pugi::xml_document& project,
                           const CMapAnswers& map, CUploadDevice::Kind kind);

    CCliProjectOptions m_project;
    QString m_map;
    bool m_json = false;
    bool m_withSecrets = false;
};

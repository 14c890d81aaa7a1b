#pragma once

#include "cli/CCliCommand.h"
#include "cli/CCliProjectOptions.h"
#include "core/sequence/CPacing.h"
#include "core/upload/IUploadLink.h"

struct CUploadSummary;

// "upload --project FILE": the project's gateways, then its bus devices, as the program's
// "UpLoad" does, with the rows of each device printed at the end (or, with --dry-run, only
// the queries sent and the rows printed).
class CCliUploadCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

    // The exit code of several uploads together.
    static int exitCode(const QList<int>& codes);

private:
    int upload(CCliSession& session, CUploadDevice::Kind kind, CUploadSummary& summary);

    CCliProjectOptions m_project;
    CPacing m_pacing = CPacing::ByReplies;
    bool m_dryRun = false;
    bool m_sequential = false;
    bool m_json = false;
    bool m_withSecrets = false;
    IUploadLink::Answer m_missing = IUploadLink::Answer::No;
};

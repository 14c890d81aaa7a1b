#pragma once

#include "cli/CCliCommand.h"

#include "core/sequence/CPacing.h"
#include "core/site/CSnapshotStamp.h"

struct CCollectionSummary;

// "collect": every gateway and bus device with all their settings, into a map file.
// Collecting is not read-only: each bus is told to register, so that its devices announce
// themselves.
class CCliCollectCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    int finish(CCliSession& session, const CCollectionSummary& report);
    static CSnapshotStamp snapshotStamp(CCliSession& session);

    QString m_mapFile;
    bool m_json = false;
    bool m_sequential = false;
    CPacing m_pacing = CPacing::ByReplies;
    qint64 m_foundByRollCall = 0;
};

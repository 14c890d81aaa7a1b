#pragma once

#include "cli/CCliCommand.h"

#include "core/sequence/CPacing.h"

#include <optional>

class CReplacement;
class CReplacementProject;
struct CUploadSummary;

// "replace": a new unit in the place of a failed one, given the old one's settings from a
// snapshot or a project. A bus device: --uid N (--serial SN | --arm) --via IP; a gateway:
// --gateway IP.
class CCliReplaceCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString configureBusDevice(const QCommandLineParser& parser);
    int finish(CCliSession& session, const CReplacement& replacement,
               const CReplacementProject& project) const;
    // The rows of an upload as printed: a credential's values masked unless asked for.
    void printRows(CCliSession& session, CUploadSummary summary) const;

    QString m_from;
    QString m_gateway;  // the gateway replaced, or the bus device's (--via)
    bool m_isGateway = false;
    int m_uid = 0;
    std::optional<quint32> m_serial;
    bool m_dryRun = false;
    bool m_withSecrets = false;
    CPacing m_pacing = CPacing::ByReplies;
};

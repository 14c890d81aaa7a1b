#pragma once

#include "cli/CCliCommand.h"

#include "core/site/CSiteComparison.h"

// "compare OLD NEW": two snapshots (map files) of a site, offline: gateways and devices
// added, removed, readdressed or replaced, type and firmware changes and every setting
// changed, old -> new.
class CCliCompareCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_before;
    QString m_after;
    bool m_json = false;
    CSiteComparison::Options m_shown;
};

#pragma once

#include "CCliCommand.h"
#include "CCliProjectOptions.h"

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
    CCliProjectOptions m_project;
    QString m_map;
    bool m_json = false;
};

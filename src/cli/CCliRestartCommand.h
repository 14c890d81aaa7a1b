#pragma once

#include "cli/CCliCommand.h"

// "restart IP": one gateway restarts.
class CCliRestartCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_target;
};

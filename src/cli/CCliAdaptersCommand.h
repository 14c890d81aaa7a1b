#pragma once

#include "cli/CCliCommand.h"

// "adapters": the network adapters the tool can use, and which one it picks.
class CCliAdaptersCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;
};

#pragma once

#include "cli/CCliCommand.h"

// "discover": broadcasts the name query and lists the gateways that answer.
class CCliDiscoverCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    bool m_json = false;
};

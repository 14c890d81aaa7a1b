#pragma once

#include "cli/CCliCommand.h"

// "query IP": every setting of one gateway.
class CCliQueryCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_target;
    bool m_json = false;
    bool m_withSecrets = false;
};

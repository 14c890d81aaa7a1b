#pragma once

#include "cli/CCliCommand.h"

// "register": asks the devices of one bus, or of every bus, to announce themselves and
// lists them.
class CCliRegisterCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_to;
};

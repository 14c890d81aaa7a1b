#pragma once

#include "cli/CCliCommand.h"

#include "cli/CCliTrafficPrinter.h"

// "monitor": the traffic as it comes in, filtered if asked.
class CCliMonitorCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    int m_durationSeconds = 0;
    CCliTrafficPrinter m_printer;
};

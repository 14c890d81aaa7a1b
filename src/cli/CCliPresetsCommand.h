#pragma once

#include "cli/CCliCommand.h"

// "presets": sends an LED preset file (".cms") to an LED controller.
class CCliPresetsCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_file;
    QString m_via;
    int m_uid = 0;
};

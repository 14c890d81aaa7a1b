#pragma once

#include "cli/CCliCommand.h"

// "report --map FILE --out OUT.html|OUT.pdf": the hand-over report of a site, from a map
// file, with what differs from a project and the changes of a journal when given.
class CCliReportCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;
    bool needsGuiApplication() const override { return m_pdf; }

private:
    QString m_map;
    QString m_project;
    QString m_journal;
    QString m_title;
    QString m_out;
    bool m_pdf = false;
    bool m_withSecrets = false;
};

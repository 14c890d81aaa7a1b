#pragma once

#include "cli/CCliCommand.h"

#include <QDateTime>

// "journal": the changes the program and vorel-cli sent, from the journal in the user's
// data folder, oldest first.
class CCliJournalCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

    // "2025-03-01" (that day, UTC, from midnight) or "2025-03-01T09:30:00Z"; invalid for
    // neither.
    static QDateTime readSince(const QString& text);

private:
    QDateTime m_since;
    bool m_json = false;
};

#pragma once

#include "CCliCommand.h"

#include "CCliTrafficPrinter.h"

#include <QByteArray>

// "send TEXT": one command text, and the replies it brings.
class CCliSendCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QByteArray m_text;
    QString m_destination;
    CCliTrafficPrinter m_printer;
};

#pragma once

#include "cli/CCliCommand.h"

#include "cli/CCliTrafficPrinter.h"

#include <QByteArray>

// "keypad [motor|sun] ZONE.GROUP.NODE ACTION [N]": drives lights and motors with the very
// texts of the virtual keypads, and prints the status lines the devices report back.
class CCliKeypadCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

    // A keypad status line: "!" and a digit, as "!2.1.1.LED.COLOR=0.0.120".
    static bool isStatusLine(QByteArrayView text);

private:
    QByteArray m_text;
    QString m_destination;
    CCliTrafficPrinter m_printer;
};

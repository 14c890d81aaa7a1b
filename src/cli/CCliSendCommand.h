#pragma once

#include "cli/CCliCommand.h"

#include "cli/CCliTrafficPrinter.h"

#include <QByteArray>
#include <functional>

struct CTrafficLineParts;

// "send TEXT": one command text, and the replies it brings.
class CCliSendCommand : public CCliCommand {
public:
    using LineFilter = std::function<bool(const CTrafficLineParts& line)>;

    // Sends text to destination (empty: broadcast) and prints every line that wanted takes
    // until the replies stop, counting them in printed. kOk once sent, or why not.
    static int sendAndPrint(CCliSession& session, const QByteArray& text,
                            const QString& destination, CCliTrafficPrinter& printer,
                            const LineFilter& wanted, int& printed);

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

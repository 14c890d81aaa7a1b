#pragma once

#include "cli/CCliCommand.h"

#include <optional>

// "identify": makes a gateway or one of its bus devices show itself.
class CCliIdentifyCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_gateway;
    std::optional<quint32> m_uid;
    std::optional<quint32> m_serial;
};

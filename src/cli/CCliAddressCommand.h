#pragma once

#include "cli/CCliCommand.h"

#include <QByteArray>
#include <optional>

// "address": gives a bus device its UID, by its serial number or by its discover button.
class CCliAddressCommand : public CCliCommand {
public:
    QString name() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    QString m_via;
    std::optional<quint32> m_serial;
    int m_uid = 0;
    int m_timeoutSeconds = 0;
};

#pragma once

#include "cli/CCliCommand.h"

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <optional>
#include <pugixml.hpp>

class CSecretRule;

// "set IP PATH=VALUE": one setting of one gateway, or with "UIDn.PATH=VALUE" of one device
// on its bus, confirmed by the echo.
class CCliSetCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

private:
    // Why the value is not of the setting's type in schema; empty when it may go.
    QString typeRefusal(const pugi::xml_document& schema) const;
    // "PATH=VALUE" as the messages show it: a credential's value masked (CSecretRule).
    QByteArray shownAssignment(const CSecretRule& secrets, const QByteArray& value) const;

    QString m_target;
    CSettingAddress m_address;
    QByteArray m_value;
    // A bus device's setting: its UID.
    std::optional<quint32> m_uid;
    bool m_withSecrets = false;
};

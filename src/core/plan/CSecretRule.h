#pragma once

#include "core/address/CSettingAddress.h"
#include "core/plan/CValidationSchema.h"

#include <QByteArray>
#include <QString>
#include <string>

// The one rule for credentials. A setting the validation schema marks secret, found by its
// address in any letter case and on every device type (CValidationSchema::holdsSecret),
// shows its value as "(set)" or "(empty)" in every output a user saves or shares: compare,
// the report, the journal, set's messages, diff, query, replace, the upload's rows and
// summary, the project's findings. Only when the user asks for the secrets (--with-secrets,
// the report's box) do they show. The traffic view and the traffic log are the wire record
// and show what went out.
class CSecretRule {
public:
    static constexpr const char* kSet = "(set)";
    static constexpr const char* kEmpty = "(empty)";

    explicit CSecretRule(const pugi::xml_document& schema, bool withSecrets = false)
        : m_schema(schema), m_withSecrets(withSecrets) {}

    // Whether outputs show "(set)" or "(empty)" for the value at address.
    bool hides(const CSettingAddress& address) const {
        return !m_withSecrets && m_schema.holdsSecret(address);
    }

    // The value at address as an output shows it.
    QByteArray shown(const CSettingAddress& address, const QByteArray& value) const;
    QString shown(const CSettingAddress& address, const QString& value) const;
    std::string shown(const CSettingAddress& address, const std::string& value) const;

    // A command text as an output shows it: a set command ("&TELNET.PASSWORD=x;",
    // "#UID12.A.TELNET.PASSWORD=x") of a hidden setting with its value masked, anything
    // else (a query, an address, a keypad command) as it is.
    QByteArray shownCommand(const QByteArray& command) const;
    QString shownCommand(const QString& command) const;

    // "(set)", or "(empty)" for a value that is empty.
    static const char* masked(bool empty) { return empty ? kEmpty : kSet; }
    // The command with its value masked, whatever its setting.
    static QByteArray maskedCommand(const QByteArray& command);

private:
    CValidationSchema m_schema;
    bool m_withSecrets;
};

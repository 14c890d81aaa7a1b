#include "core/plan/CSecretRule.h"

namespace {

// The setting a set command changes: the path after "&", or after the device ("#UID12.",
// "#SN812."); nothing for any other text.
std::optional<CSettingAddress> settingOf(const QByteArray& command) {
    const qsizetype equals = command.indexOf('=');
    if (equals < 0) {
        return std::nullopt;
    }
    const QByteArrayView head = QByteArrayView(command).first(equals);
    if (head.startsWith('&')) {
        return CSettingAddress::parse(head.sliced(1));
    }
    const qsizetype dot = head.indexOf('.');
    if (head.startsWith('#') && dot > 0) {
        return CSettingAddress::parse(head.sliced(dot + 1));
    }
    return std::nullopt;
}

// A query asks for the value and carries none.
bool isQuery(const QByteArray& command) {
    const qsizetype equals = command.indexOf('=');
    QByteArrayView value = QByteArrayView(command).sliced(equals + 1);
    while (value.endsWith(';') || value.endsWith('\r') || value.endsWith('\n')) {
        value.chop(1);
    }
    return value == "?";
}

}  // namespace

QByteArray CSecretRule::shown(const CSettingAddress& address, const QByteArray& value) const {
    return hides(address) ? QByteArray(masked(value.isEmpty())) : value;
}

QString CSecretRule::shown(const CSettingAddress& address, const QString& value) const {
    return hides(address) ? QString::fromLatin1(masked(value.isEmpty())) : value;
}

std::string CSecretRule::shown(const CSettingAddress& address, const std::string& value) const {
    return hides(address) ? std::string(masked(value.empty())) : value;
}

QByteArray CSecretRule::shownCommand(const QByteArray& command) const {
    const std::optional<CSettingAddress> address = settingOf(command);
    if (!address || !hides(*address) || isQuery(command)) {
        return command;
    }
    return maskedCommand(command);
}

QString CSecretRule::shownCommand(const QString& command) const {
    return QString::fromUtf8(shownCommand(command.toUtf8()));
}

QByteArray CSecretRule::maskedCommand(const QByteArray& command) {
    const qsizetype equals = command.indexOf('=');
    if (equals < 0) {
        return command;
    }
    qsizetype end = command.size();
    while (end > equals + 1 &&
           (command[end - 1] == ';' || command[end - 1] == '\r' || command[end - 1] == '\n')) {
        --end;
    }
    return command.first(equals + 1) + masked(end == equals + 1) + command.sliced(end);
}

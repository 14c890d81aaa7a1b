#include "core/journal/CChangeCommand.h"

#include "core/bus/CPresetFile.h"

namespace {

// The leading decimal digits of text (at most nine), taken off it.
std::optional<quint32> takeNumber(QByteArrayView& text) {
    qsizetype digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    const quint32 number = text.first(digits).toUInt();
    text = text.sliced(digits);
    return number;
}

std::optional<quint32> wholeNumber(QByteArrayView text) {
    const std::optional<quint32> number = takeNumber(text);
    return number && text.isEmpty() ? number : std::nullopt;
}

QByteArray deviceName(const char* attribute, quint32 number) {
    return QByteArray(attribute) + ' ' + QByteArray::number(number);
}

std::optional<CChangeCommand> gatewayChange(QByteArrayView path, QByteArrayView value) {
    const std::optional<CSettingAddress> address = CSettingAddress::parse(path);
    if (!address) {
        return std::nullopt;
    }
    CChangeCommand change;
    change.kind = path == "VERSION_HW" && value == "RESET" ? CChangeCommand::Kind::GatewayRestart
                                                           : CChangeCommand::Kind::GatewaySetting;
    change.address = *address;
    change.value = value.toByteArray();
    return change;
}

std::optional<CChangeCommand> busChange(QByteArrayView target, QByteArrayView value) {
    CChangeCommand change;
    change.value = value.toByteArray();
    if (target.startsWith("SN")) {
        QByteArrayView rest = target.sliced(2);
        const std::optional<quint32> serial = takeNumber(rest);
        const std::optional<quint32> uid = wholeNumber(value);
        if (!serial || rest != ".UID" || !uid) {
            return std::nullopt;
        }
        change.kind = CChangeCommand::Kind::DeviceAddress;
        change.device = deviceName("SN", *serial);
        change.uid = *uid;
        return change;
    }
    if (!target.startsWith("UID") && !target.startsWith("uid")) {
        return std::nullopt;
    }
    QByteArrayView rest = target.sliced(3);
    if (rest.isEmpty()) {
        const std::optional<quint32> uid = wholeNumber(value);
        if (!uid) {
            return std::nullopt;  // "#UID=REGISTER;"
        }
        change.kind = CChangeCommand::Kind::DeviceAddress;
        change.device = deviceName("UID", *uid);
        change.uid = *uid;
        return change;
    }
    const std::optional<quint32> uid = takeNumber(rest);
    if (!uid || !rest.startsWith('.')) {
        return std::nullopt;
    }
    const std::optional<CSettingAddress> address = CSettingAddress::parse(rest.sliced(1));
    if (!address) {
        return std::nullopt;
    }
    change.kind = CChangeCommand::Kind::DeviceSetting;
    change.device = deviceName("UID", *uid);
    change.uid = *uid;
    change.address = *address;
    return change;
}

}  // namespace

std::optional<CChangeCommand> CChangeCommand::of(QByteArrayView text) {
    if (text.endsWith(';')) {
        text.chop(1);
    }
    const qsizetype equals = text.indexOf('=');
    if (text.size() < 3 || equals < 2) {
        return std::nullopt;
    }
    const QByteArrayView left = text.sliced(1, equals - 1);
    const QByteArrayView value = text.sliced(equals + 1);
    if (value.isEmpty() || value == "?" || value == "IDENTIFY" || value.contains(';')) {
        return std::nullopt;
    }
    switch (text.front()) {
        case '&':
            return gatewayChange(left, value);
        case '#':
            return busChange(left, value);
        default:
            return std::nullopt;
    }
}

bool CChangeCommand::isPresetFileLine() const {
    bool isNumber = false;
    const int slot = address.index.toInt(&isNumber);
    return kind == Kind::DeviceSetting && address.port.isEmpty() && address.group == "LED" &&
           address.key == "PRESET" && isNumber && slot >= CPresetFile::kFirstPreset;
}

#include "sim/CSimCommand.h"

namespace {

using Kind = CSimCommand::Kind;
using Target = CSimCommand::Target;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Control characters never belong in a command; bytes above 127 may stand in a value.
bool hasControlCharacter(QByteArrayView text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == ';') {
            return true;
        }
    }
    return false;
}

// The text without the terminator of either kind: "\r", "\r\n" or "\n" for keypad
// commands, ";" for configuration commands, or none.
QByteArrayView withoutTerminator(QByteArrayView text) {
    if (text.endsWith("\r\n")) {
        text.chop(2);
    } else if (text.endsWith('\r') || text.endsWith('\n')) {
        text.chop(1);
    }
    if (text.endsWith(';')) {
        text.chop(1);
    }
    return text;
}

// Leading decimal digits of text, as a number; the digits are removed from text.
std::optional<quint32> takeNumber(QByteArrayView& text) {
    qsizetype digits = 0;
    while (digits < text.size() && isDigit(text[digits])) {
        ++digits;
    }
    if (!CSettingAddress::isNumber(text.first(digits))) {
        return std::nullopt;
    }
    const quint32 number = text.first(digits).toUInt();
    text = text.sliced(digits);
    return number;
}

std::optional<quint32> wholeNumber(QByteArrayView text) {
    QByteArrayView rest = text;
    const auto number = takeNumber(rest);
    if (!number || !rest.isEmpty()) {
        return std::nullopt;
    }
    return number;
}

CSimCommand invalid() {
    return CSimCommand{};
}

CSimCommand make(Kind kind, Target target = Target::None) {
    CSimCommand command;
    command.kind = kind;
    command.target = target;
    return command;
}

}  // namespace

CSimCommand CSimCommand::parse(QByteArrayView datagram) {
    if (datagram.size() < 3 || datagram.size() > kMaxLength) {
        return invalid();
    }
    const QByteArrayView text = withoutTerminator(datagram);
    if (text.isEmpty() || hasControlCharacter(text)) {
        return invalid();
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 1) {
        return invalid();
    }
    const QByteArrayView left = text.sliced(1, equals - 1);
    const QByteArrayView value = text.sliced(equals + 1);
    switch (text.front()) {
        case '&':
            return parseGateway(left, value);
        case '#':
            return parseBus(left, value);
        default:
            return invalid();
    }
}

CSimCommand CSimCommand::parseGateway(QByteArrayView path, QByteArrayView value) {
    if (path.isEmpty()) {
        if (value == "?") {
            return make(Kind::GatewayQuery);
        }
        if (value == "IDENTIFY") {
            return make(Kind::GatewayIdentify);
        }
        return invalid();
    }
    const auto parsed = CSettingAddress::parseWellFormed(path);
    if (!parsed) {
        return invalid();
    }
    if (path == "VERSION_HW" && value == "RESET") {
        return make(Kind::GatewayRestart);
    }
    CSimCommand command = make(value == "?" ? Kind::GatewayQuery : Kind::GatewaySet);
    command.address = *parsed;
    command.value = value.toByteArray();
    return command;
}

CSimCommand CSimCommand::parseBus(QByteArrayView target, QByteArrayView value) {
    if (target.isEmpty()) {
        return invalid();
    }
    if (isDigit(target.front())) {
        return parseKeypad(target, value);
    }
    Target kind = Target::None;
    QByteArrayView rest;
    if (target.startsWith("UID") || target.startsWith("uid")) {
        kind = Target::Uid;
        rest = target.sliced(3);
    } else if (target.startsWith("SN")) {
        kind = Target::Serial;
        rest = target.sliced(2);
    } else {
        return invalid();
    }
    if (kind == Target::Uid && rest.isEmpty()) {
        // The whole bus: registration, or arming for the next discover button.
        if (value == "REGISTER") {
            return make(Kind::BusRegister);
        }
        const auto uid = wholeNumber(value);
        if (!uid || *uid == 0) {
            return invalid();
        }
        CSimCommand command = make(Kind::BusArm);
        command.newUid = *uid;
        return command;
    }
    const auto number = takeNumber(rest);
    if (!number) {
        return invalid();
    }
    return parseDevice(kind, *number, rest, value);
}

CSimCommand CSimCommand::parseDevice(Target target, quint32 number, QByteArrayView rest,
                                     QByteArrayView value) {
    CSimCommand command = make(Kind::Invalid, target);
    command.number = number;
    command.value = value.toByteArray();
    if (rest.isEmpty()) {
        if (value == "?" && target == Target::Uid) {
            command.kind = Kind::DeviceQuery;
        } else if (value == "IDENTIFY") {
            command.kind = Kind::DeviceIdentify;
        }
        return command;
    }
    if (!rest.startsWith('.')) {
        return invalid();
    }
    const QByteArrayView pathText = rest.sliced(1);
    if (pathText == "UID") {
        const auto uid = wholeNumber(value);
        if (!uid || *uid == 0) {
            return invalid();
        }
        command.kind = Kind::DeviceReaddress;
        command.newUid = *uid;
        return command;
    }
    const auto path = CSettingAddress::parseWellFormed(pathText);
    if (!path || target != Target::Uid) {
        return invalid();
    }
    command.address = *path;
    command.kind = value == "?" ? Kind::DeviceQuery : Kind::DeviceSet;
    return command;
}

CSimCommand CSimCommand::parseKeypad(QByteArrayView target, QByteArrayView value) {
    QByteArrayView rest = target;
    quint32 numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto number = takeNumber(rest);
        if (!number || !rest.startsWith('.')) {
            return invalid();
        }
        numbers[i] = *number;
        rest = rest.sliced(1);
    }
    const auto path = CSettingAddress::parseWellFormed(rest);
    if (!path || !path->port.isEmpty() || !path->index.isEmpty() || value.isEmpty()) {
        return invalid();
    }
    CSimCommand command = make(Kind::Keypad, Target::Keypad);
    command.keypad = CSimKeypadAddress{numbers[0], numbers[1], numbers[2]};
    command.address = *path;
    command.value = value.toByteArray();
    return command;
}

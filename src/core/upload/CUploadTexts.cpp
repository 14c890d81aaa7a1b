#include "core/upload/CUploadTexts.h"

#include "core/upload/CUploadDevice.h"

namespace {
QByteArray joined(std::initializer_list<QByteArrayView> parts) {
    QByteArray text;
    for (const QByteArrayView part : parts) {
        text.append(part);
    }
    return text;
}
}  // namespace

QByteArray CUploadTexts::gatewayNoTemplateType(QByteArrayView ip) {
    return joined({"->Upload Error: IP ", ip, " has no TYPE description in Template"});
}

QByteArray CUploadTexts::gatewayNotFound(QByteArrayView ip) {
    return joined({"Upload Error: Ubrix ", ip, "  not found on network"});
}

QByteArray CUploadTexts::gatewayNotSameType(QByteArrayView ip) {
    return joined({"Upload Error: Ubrix ", ip, "  not same type"});
}

QByteArray CUploadTexts::gatewayMatch(QByteArrayView reported, QByteArrayView value) {
    return joined({"->Upload object match: ", reported, " ->", value});
}

QByteArray CUploadTexts::gatewayMissMatch(QByteArrayView reported, QByteArrayView value) {
    return joined(
        {"->Upload object miss match: ", reported, " template-> ", value, " device-> ", reported});
}

QByteArray CUploadTexts::busNoTemplateType(int uid) {
    return "->Upload Error: UID " + QByteArray::number(uid) +
           " has no TYPE description in Template";
}

QByteArray CUploadTexts::busNotFound(int uid) {
    return "->Upload Error: UID " + QByteArray::number(uid) + " not found on network";
}

QByteArray CUploadTexts::busNoType(int uid) {
    return "->Upload Error: UID " + QByteArray::number(uid) + " no TYPE found";
}

QByteArray CUploadTexts::busTypeMismatch(int uid) {
    return "->Upload Error: UID " + QByteArray::number(uid) + " type Mismatch";
}

QByteArray CUploadTexts::busMatch(QByteArrayView path, QByteArrayView value) {
    return joined({"->Upload object match: ", path, " ->", value});
}

QByteArray CUploadTexts::busMissMatch(QByteArrayView path, QByteArrayView value,
                                      QByteArrayView reported) {
    return joined(
        {"->Upload object miss match: ", path, " template-> ", value, " device-> ", reported, " "});
}

QByteArray CUploadTexts::discoverPrompt(QByteArrayView notFoundLine) {
    return joined({notFoundLine,
                   "\nPress discover button on device and then YES \n\nPress NO to pass over "
                   "this device\nPress CANCEL to abort upload"});
}

QByteArray CUploadTexts::refusal(const CUploadDevice& device) {
    using Refusal = CUploadDevice::Refusal;
    const QByteArray label = device.label();
    switch (device.refusal) {
        case Refusal::UnusableAddress:
            return unusableAddress(label);
        case Refusal::NotAUid:
            return notAUid(label);
        case Refusal::SerialOnly:
            return serialOnly(label);
        case Refusal::Duplicate:
            return duplicate(label);
        case Refusal::None:
            break;
    }
    return {};
}

QByteArray CUploadTexts::unusableAddress(QByteArrayView label) {
    return joined({"->Upload Error: ", label, " is no address a gateway can have yet"});
}

QByteArray CUploadTexts::notAUid(QByteArrayView label) {
    return joined({"->Upload Error: ", label, " is no bus address"});
}

QByteArray CUploadTexts::serialOnly(QByteArrayView label) {
    return joined({"->Upload Error: ", label, " has no UID yet"});
}

QByteArray CUploadTexts::duplicate(QByteArrayView label) {
    return joined({"->Upload Error: ", label, " appears more than once in Template"});
}

QByteArray CUploadTexts::unsafeValue(QByteArrayView place, QByteArrayView reason) {
    return joined({"->Upload Error: ", place, " not sent: ", reason});
}

QByteArray CUploadTexts::invalidValue(QByteArrayView refusal) {
    return joined({"->Upload Error: not sent: ", refusal});
}

QByteArray CUploadTexts::sendFailed(QByteArrayView label) {
    return joined({"->Upload Error: send failed, upload of ", label, " ended"});
}

QByteArray CUploadTexts::otherTcpGateway(QByteArrayView label, QByteArrayView connected) {
    return joined({"->Upload Error: ", label, " not sent: the TCP connection is to ", connected});
}

QByteArray CUploadTexts::stillArmed(int uid) {
    return "->Upload Warning: gateways still armed for UID " + QByteArray::number(uid);
}

QByteArray CUploadTexts::notConfirmed(QByteArrayView command, QByteArrayView answered) {
    if (answered.isEmpty()) {
        return joined({"->Upload Warning: no echo for ", command});
    }
    return joined({"->Upload Warning: ", command, " answered ", answered});
}

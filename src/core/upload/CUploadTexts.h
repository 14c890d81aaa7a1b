#pragma once

#include <QByteArray>
#include <QByteArrayView>

struct CUploadDevice;

// The lines an upload writes into the traffic history, exactly as installers have always
// read them (the odd spacing included), and the lines of our own for what the uploads
// refuse to do.
class CUploadTexts {
public:
    static QByteArray start() { return "->Upload Start"; }

    // The gateway upload; ip is dotted.
    static QByteArray gatewayNoTemplateType(QByteArrayView ip);
    static QByteArray gatewayNotFound(QByteArrayView ip);
    static QByteArray gatewayNotSameType(QByteArrayView ip);
    static QByteArray gatewayMatch(QByteArrayView reported, QByteArrayView value);
    static QByteArray gatewayMissMatch(QByteArrayView reported, QByteArrayView value);

    // The bus device upload.
    static QByteArray busNoTemplateType(int uid);
    static QByteArray busNotFound(int uid);
    static QByteArray busNoType(int uid);
    static QByteArray busTypeMismatch(int uid);
    static QByteArray busMatch(QByteArrayView path, QByteArrayView value);
    static QByteArray busMissMatch(QByteArrayView path, QByteArrayView value,
                                   QByteArrayView reported);
    // The discover prompt built around the not-found line.
    static QByteArray discoverPrompt(QByteArrayView notFoundLine);

    // Why a device of the project takes no part, for its refusal.
    static QByteArray refusal(const CUploadDevice& device);
    // What the uploads refuse; label is "IP 10.0.0.2", "UID 12" or "SN 100003".
    static QByteArray unusableAddress(QByteArrayView label);
    static QByteArray notAUid(QByteArrayView label);
    static QByteArray serialOnly(QByteArrayView label);
    static QByteArray duplicate(QByteArrayView label);
    static QByteArray unsafeValue(QByteArrayView place, QByteArrayView reason);
    // refusal names the setting, the value and what is allowed.
    static QByteArray invalidValue(QByteArrayView refusal);
    static QByteArray sendFailed(QByteArrayView label);
    static QByteArray otherTcpGateway(QByteArrayView label, QByteArrayView connected);
    static QByteArray stillArmed(int uid);
    static QByteArray notConfirmed(QByteArrayView command, QByteArrayView answered);
};

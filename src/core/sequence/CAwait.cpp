#include "core/sequence/CAwait.h"

CAwait CAwait::echo(QByteArray gateway, QByteArray path, QByteArray value) {
    return {[gateway = std::move(gateway), path = std::move(path),
             value = std::move(value)](const CEnteredSetting& setting) {
                return setting.isGateway() && setting.gateway == gateway &&
                       setting.address.text() == path && setting.value == value;
            },
            std::chrono::milliseconds(0)};
}

CAwait CAwait::gatewayReports(QByteArray gateway, std::chrono::milliseconds quiet) {
    return {[gateway = std::move(gateway)](const CEnteredSetting& setting) {
                return setting.isGateway() && setting.gateway == gateway;
            },
            quiet};
}

CAwait CAwait::deviceReports(QByteArray gateway, QByteArray uid, std::chrono::milliseconds quiet) {
    return {[gateway = std::move(gateway), uid = std::move(uid)](const CEnteredSetting& setting) {
                return !setting.isGateway() && setting.gateway == gateway && setting.number == uid;
            },
            quiet};
}

#include "core/project/CProjectAddress.h"

#include "core/transport/CIpv4Address.h"

namespace {

std::optional<long long> wholeUid(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const long long uid = text.toLongLong(&ok);
    if (!ok || uid < 1 || uid > CProjectAddress::kMaxUid) {
        return std::nullopt;
    }
    return uid;
}

std::optional<quint32> gatewayAddress(const QString& text) {
    bool ok = false;
    const quint32 address = CIpv4Address::fromDotted(text.toLatin1(), &ok);
    if (!ok || address == CIpv4Address::kAny || address == CIpv4Address::kBroadcast) {
        return std::nullopt;
    }
    return address;
}

}  // namespace

std::optional<std::string> CProjectAddress::canonical(CProjectDevice::Role role,
                                                      const QString& typed) {
    const QString text = typed.trimmed();
    if (role == CProjectDevice::Role::Gateway) {
        if (const std::optional<quint32> address = gatewayAddress(text)) {
            return CIpv4Address::toDotted(*address).toStdString();
        }
        return std::nullopt;
    }
    if (const std::optional<long long> uid = wholeUid(text)) {
        return std::to_string(*uid);
    }
    return std::nullopt;
}

std::optional<std::string> CProjectAddress::nextFree(
    const CProjectDevice& device, const std::function<bool(const std::string&)>& taken) {
    const QString own = QString::fromStdString(device.id);
    if (device.isGateway()) {
        const std::optional<quint32> start = gatewayAddress(own);
        if (!start) {
            return std::nullopt;
        }
        const quint32 host = CIpv4Address::toHostOrder(*start);
        auto last = static_cast<quint8>(host & 0xFFu);
        for (int tries = 0; tries < kCopyTries; ++tries) {
            ++last;
            const quint32 address = CIpv4Address::fromHostOrder((host & ~0xFFu) | last);
            const std::string candidate = CIpv4Address::toDotted(address).toStdString();
            // The wrap passes 0.0.0.0 and 255.255.255.255, which no gateway may have.
            const bool valid = address != CIpv4Address::kAny && address != CIpv4Address::kBroadcast;
            if (valid && !taken(candidate)) {
                return candidate;
            }
        }
        return std::nullopt;
    }
    const std::optional<long long> start = wholeUid(own);
    if (!start) {
        return std::nullopt;
    }
    for (long long uid = *start + 1; uid <= *start + kCopyTries && uid <= kMaxUid; ++uid) {
        const std::string candidate = std::to_string(uid);
        if (!taken(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

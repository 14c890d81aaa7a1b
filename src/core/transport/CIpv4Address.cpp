#include "core/transport/CIpv4Address.h"

#include "core/protocol/CTrafficLine.h"

#include <arpa/inet.h>
#include <QHostAddress>

quint32 CIpv4Address::fromHostOrder(quint32 hostOrder) {
    return htonl(hostOrder);
}

quint32 CIpv4Address::toHostOrder(quint32 networkOrder) {
    return ntohl(networkOrder);
}

quint32 CIpv4Address::fromDotted(QByteArrayView dotted, bool* ok) {
    const QByteArray text = dotted.toByteArray();
    in_addr parsed{};
    const bool valid = inet_pton(AF_INET, text.constData(), &parsed) == 1;
    if (ok != nullptr) {
        *ok = valid;
    }
    return valid ? parsed.s_addr : 0;
}

QByteArray CIpv4Address::toDotted(quint32 networkOrder) {
    return CTrafficLine::dotted(networkOrder);
}

quint32 CIpv4Address::fromQHostAddress(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 hostOrder = address.toIPv4Address(&isIpv4);
    return isIpv4 ? fromHostOrder(hostOrder) : 0;
}

sockaddr_in CIpv4Address::toSocketAddress(quint32 networkOrder, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = networkOrder;
    address.sin_port = htons(static_cast<quint16>(port));
    return address;
}

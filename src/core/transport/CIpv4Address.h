#pragma once

#include <netinet/in.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QHostAddress;

// IPv4 addresses as the program passes them around: 32-bit values in network byte
// order, the form inet_addr gives. 255.255.255.255 stands for "every gateway".
class CIpv4Address {
public:
    static constexpr quint32 kBroadcast = 0xFFFFFFFFu;
    static constexpr quint32 kAny = 0;

    static quint32 fromHostOrder(quint32 hostOrder);
    static quint32 toHostOrder(quint32 networkOrder);
    // Dotted text to an address; ok is false (and the result 0) for anything else.
    static quint32 fromDotted(QByteArrayView dotted, bool* ok = nullptr);
    static QByteArray toDotted(quint32 networkOrder);
    static quint32 fromQHostAddress(const QHostAddress& address);
    // The socket address of address:port for bind, sendto and getnameinfo.
    static sockaddr_in toSocketAddress(quint32 networkOrder, int port = 0);
};

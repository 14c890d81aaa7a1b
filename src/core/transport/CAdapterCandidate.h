#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A network interface as the system reports it, before the adapter table's rules are
// applied. Plain data, so the rules can be tried on any made-up machine.
struct CAdapterCandidate {
    enum class Kind { Ethernet, Wireless, Loopback, Other };

    QString name;
    Kind kind = Kind::Other;
    // Administratively up and with a working link.
    bool up = false;
    int interfaceIndex = 0;
    // IPv4 addresses in the system's order, network byte order.
    QList<quint32> ipv4Addresses;
    // Made by software (a bridge, veth, tap, docker0): no cable or radio behind it.
    bool isVirtual = false;
};

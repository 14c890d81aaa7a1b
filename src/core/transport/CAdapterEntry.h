#pragma once

#include <QString>
#include <QtGlobal>

// One usable network adapter of the adapter table.
struct CAdapterEntry {
    static constexpr quint32 kTypeEthernet = 6;
    static constexpr quint32 kTypeWireless = 71;

    // The adapter's name, at most 30 characters.
    QString name;
    // Its first IPv4 address, network byte order; 0 binds to any address.
    quint32 address = 0;
    // kTypeEthernet or kTypeWireless.
    quint32 type = 0;
    // The system's index of the interface. A broadcast is sent out of this interface
    // whatever the routing table prefers; 0 leaves the choice to the routing table.
    int interfaceIndex = 0;
    // Where a broadcast through this adapter is addressed: 255.255.255.255 on a real
    // adapter, so that gateways of any subnet on the wire hear it; the subnet's own
    // broadcast address where the limited broadcast cannot go (the loopback demo).
    quint32 broadcastAddress = 0xFFFFFFFFu;

    bool isWired() const { return type == kTypeEthernet; }
};

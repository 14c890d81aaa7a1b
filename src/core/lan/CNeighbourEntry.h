#pragma once

#include "core/lan/CMacAddress.h"

#include <QByteArray>
#include <QtGlobal>

// One line of the kernel's IPv4 neighbour (ARP) table.
struct CNeighbourEntry {
    // The kernel's flag bits of /proc/net/arp: the hardware address is known, and the
    // entry was set by hand.
    static constexpr quint32 kFlagComplete = 0x2;
    static constexpr quint32 kFlagPermanent = 0x4;

    quint32 address = 0;  // network byte order
    CMacAddress mac;
    quint32 flags = 0;
    QByteArray device;

    // Whether the host answered: an entry still being resolved, or given up on, has no
    // hardware address yet (the kernel shows it as zeros with the complete flag clear).
    bool hasAnswered() const { return (flags & kFlagComplete) != 0 && !mac.isZero(); }
};

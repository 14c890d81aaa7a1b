#pragma once

#include "core/lan/CMacAddress.h"

#include <QHash>
#include <QtGlobal>

// How the LAN scan learns who is there: it asks the kernel to resolve addresses and then
// reads what the kernel found. One scan at a time, on the scan's own thread.
class INeighbourProbe {
public:
    virtual ~INeighbourProbe() = default;

    // Before the first probe of a scan: the adapter address the probes leave from.
    virtual void begin(quint32 sourceAddress) = 0;
    // Makes the kernel resolve the address (network byte order); returns at once.
    virtual void probe(quint32 address) = 0;
    // The neighbours whose hardware address is known now.
    virtual QHash<quint32, CMacAddress> answeredHosts() = 0;
    // This machine's own addresses with the hardware address of their interface: nobody
    // answers a resolution for them, yet the machine is on the LAN.
    virtual QHash<quint32, CMacAddress> ownAddresses() = 0;
    // After the last probe of a scan.
    virtual void end() = 0;
};

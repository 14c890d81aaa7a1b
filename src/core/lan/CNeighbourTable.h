#pragma once

#include "core/lan/CNeighbourEntry.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

// The kernel's IPv4 neighbour table as /proc/net/arp shows it: a heading, then one line
// per neighbour with the address, hardware type, flags, hardware address, mask and
// device. Reading it needs no privileges; the network namespace of the reader decides
// which table it sees.
class CNeighbourTable {
public:
    static constexpr const char* kSystemPath = "/proc/net/arp";

    // The lines that carry an Ethernet neighbour. Anything else (the heading, a line cut
    // short, a hardware address of another length, an address that is not dotted) is
    // passed over.
    static CNeighbourTable parse(QByteArrayView text);
    // An unreadable file gives an empty table.
    static CNeighbourTable readFile(const QString& path = QString::fromLatin1(kSystemPath));

    const QList<CNeighbourEntry>& entries() const { return m_entries; }
    // The hosts that answered, by address.
    QHash<quint32, CMacAddress> answeredHosts() const;

private:
    QList<CNeighbourEntry> m_entries;
};

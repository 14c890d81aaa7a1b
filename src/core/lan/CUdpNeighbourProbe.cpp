#include "core/lan/CUdpNeighbourProbe.h"

#include "core/lan/CNeighbourTable.h"
#include "core/transport/CIpv4Address.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <QHostAddress>
#include <QNetworkInterface>

CUdpNeighbourProbe::CUdpNeighbourProbe(QString neighbourTablePath)
    : m_tablePath(neighbourTablePath.isEmpty() ? QString::fromLatin1(CNeighbourTable::kSystemPath)
                                               : std::move(neighbourTablePath)) {}

void CUdpNeighbourProbe::begin(quint32 sourceAddress) {
    m_socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!m_socket.isValid() || sourceAddress == CIpv4Address::kAny) {
        return;
    }
    // From the adapter's address, as the gateways would see the program. An adapter that
    // has gone away leaves the socket unbound: the kernel still picks the link by address.
    const sockaddr_in local = CIpv4Address::toSocketAddress(sourceAddress);
    [[maybe_unused]] const int bound =
        ::bind(m_socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local);
}

void CUdpNeighbourProbe::probe(quint32 address) {
    if (!m_socket.isValid()) {
        return;
    }
    const sockaddr_in target = CIpv4Address::toSocketAddress(address, kDiscardPort);
    // A failure (no route on the link, the neighbour already given up on) means no answer.
    [[maybe_unused]] const ssize_t sent =
        ::sendto(m_socket.get(), "", 0, MSG_DONTROUTE | MSG_DONTWAIT,
                 reinterpret_cast<const sockaddr*>(&target), sizeof target);
}

QHash<quint32, CMacAddress> CUdpNeighbourProbe::answeredHosts() {
    return CNeighbourTable::readFile(m_tablePath).answeredHosts();
}

QHash<quint32, CMacAddress> CUdpNeighbourProbe::ownAddresses() {
    QHash<quint32, CMacAddress> own;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        // The loopback link reports no hardware address: it is all zeros to the scan.
        const CMacAddress mac =
            CMacAddress::fromText(interface.hardwareAddress().toLatin1()).value_or(CMacAddress());
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                own.insert(CIpv4Address::fromQHostAddress(entry.ip()), mac);
            }
        }
    }
    return own;
}

void CUdpNeighbourProbe::end() {
    m_socket.reset();
}

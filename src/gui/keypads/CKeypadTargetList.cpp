#include "gui/keypads/CKeypadTargetList.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"

CKeypadTargetList::CKeypadTargetList(const CUbrixVorelDoc& doc, const CTransport& transport,
                                     QWidget* parent)
    : QComboBox(parent), m_doc(doc), m_transport(transport) {
    addItem(QString::fromLatin1(kBroadcast), CIpv4Address::kBroadcast);
    refill();
    setCurrentIndex(0);
}

quint32 CKeypadTargetList::currentAddress() const {
    return currentIndex() < 0 ? CIpv4Address::kBroadcast : currentData().toUInt();
}

std::optional<quint32> CKeypadTargetList::reachableAddress() const {
    const quint32 address = currentAddress();
    if (m_transport.sendsElsewhere(address)) {
        return std::nullopt;
    }
    return address;
}

quint32 CKeypadTargetList::tcpGateway() const {
    return m_transport.tcpPeer() != 0 ? m_transport.tcpPeer() : m_transport.defaultIp();
}

void CKeypadTargetList::showPopup() {
    refill();
    QComboBox::showPopup();
}

void CKeypadTargetList::refill() {
    const bool tcp = m_transport.mode() == CTransport::kModeTcp;
    if (tcp) {
        dropUnreachable(tcpGateway());
    }
    for (const CDestinationList::Entry& entry : candidates()) {
        if (!isListed(entry.text)) {
            insertSorted(entry);
        }
    }
}

QList<CDestinationList::Entry> CKeypadTargetList::candidates() const {
    QList<CDestinationList::Entry> entries;
    const bool tcp = m_transport.mode() == CTransport::kModeTcp;
    for (const CDestinationList::Gateway& gateway : CDestinationList::gatewaysOf(m_doc.plan())) {
        if (!tcp || gateway.address == tcpGateway()) {
            entries.append({CDestinationList::destinationText(gateway), gateway.address});
        }
    }
    if (tcp && entries.isEmpty() && tcpGateway() != 0) {
        const quint32 address = tcpGateway();
        entries.append({QString::fromLatin1(CIpv4Address::toDotted(address)), address});
    }
    return entries;
}

bool CKeypadTargetList::isListed(const QString& text) const {
    for (int index = 0; index < count(); ++index) {
        if (itemText(index).startsWith(text, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

void CKeypadTargetList::insertSorted(const CDestinationList::Entry& entry) {
    int index = 0;
    while (index < count() && itemText(index).compare(entry.text, Qt::CaseInsensitive) <= 0) {
        ++index;
    }
    insertItem(index, entry.text, entry.address);
}

void CKeypadTargetList::dropUnreachable(quint32 reachable) {
    for (int index = count() - 1; index >= 0; --index) {
        const quint32 address = itemData(index).toUInt();
        if (address != CIpv4Address::kBroadcast && address != reachable) {
            removeItem(index);
        }
    }
}

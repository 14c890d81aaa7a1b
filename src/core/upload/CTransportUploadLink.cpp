#include "core/upload/CTransportUploadLink.h"

#include "core/common/IUserNotifier.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"

CTransportUploadLink::CTransportUploadLink(CTransport& transport, IUserNotifier& notifier, Ask ask)
    : m_transport(transport), m_notifier(notifier), m_ask(std::move(ask)) {}

bool CTransportUploadLink::send(const QByteArray& text, quint32 address) {
    return m_transport.SendText(text, address);
}

QByteArray CTransportUploadLink::reachesInstead(quint32 address) const {
    if (!m_transport.sendsElsewhere(address)) {
        return {};
    }
    return CIpv4Address::toDotted(m_transport.tcpPeer());
}

void CTransportUploadLink::showError(const QString& text) {
    m_notifier.showMessage(text);
}

IUploadLink::Answer CTransportUploadLink::askDiscover(const QString& text) {
    return m_ask ? m_ask(text) : Answer::No;
}

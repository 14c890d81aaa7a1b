#include "core/transport/CTransport.h"

#include "core/common/IClock.h"
#include "core/common/IUserNotifier.h"
#include "core/settings/CSettings.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CSerialPort.h"
#include "core/transport/CUDPListener.h"
#include "core/transport/CUsbPortFinder.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

// The gateway greets a new TCP client with a short banner that we skip.
constexpr std::size_t kGreetingSize = 30;

bool setOption(int socket, int level, int option, int value) {
    return ::setsockopt(socket, level, option, &value, sizeof value) == 0;
}

bool setBlocking(int socket, bool blocking) {
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) {
        return false;
    }
    return ::fcntl(socket, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

int waitMs(std::chrono::milliseconds wait) {
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
}

// Waits for the socket to become ready; false on time-out or failure (errno tells).
bool pollFor(int socket, short events, std::chrono::milliseconds wait) {
    pollfd watched{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, waitMs(wait));
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

// True when the other end has closed the connection (or reset it). Data the gateway sent
// and nobody read does not count as closed.
bool peerHasClosed(int socket) {
    pollfd watched{socket, POLLIN | POLLRDHUP, 0};
    if (::poll(&watched, 1, 0) <= 0) {
        return false;
    }
    if ((watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
        return true;
    }
    char byte = 0;
    return ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// Sends out of one interface, whatever the routing table says: the way to make a
// broadcast leave through the adapter the user chose, without privileges.
ssize_t sendThroughInterface(int socket, QByteArrayView text, const sockaddr_in& destination,
                             int interfaceIndex, quint32 source) {
    iovec part{const_cast<char*>(text.data()), static_cast<std::size_t>(text.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&destination);
    message.msg_namelen = sizeof destination;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = interfaceIndex;
    info.ipi_spec_dst.s_addr = source;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    return ::sendmsg(socket, &message, MSG_NOSIGNAL);
}

}  // namespace

CTransport::CTransport(IUserNotifier& notifier, IClock& clock, CInboundQueue& inbound,
                       std::atomic<bool>& firewallSuspect, QObject* parent)
    : QObject(parent),
      m_notifier(notifier),
      m_clock(clock),
      m_inbound(inbound),
      m_firewallSuspect(firewallSuspect),
      m_usbPortLocator(&CUsbPortFinder::FindUsbPort) {}

CTransport::~CTransport() {
    StopReceiver();
    CloseTcp();
    m_serial.reset();
}

void CTransport::applySettings(const CSettings& settings) {
    m_sendPort = settings.sendPort;
    m_receivePort = settings.recvPort;
    m_defaultIp = settings.defaultIp;
    m_mode = settings.mode;
}

void CTransport::storeSettings(CSettings& settings) const {
    settings.sendPort = m_sendPort;
    settings.recvPort = m_receivePort;
    settings.defaultIp = m_defaultIp;
    settings.mode = m_mode;
}

void CTransport::setMode(int mode) {
    m_mode = mode;
}

void CTransport::selectMode(int mode) {
    m_mode = mode;
    if (m_mode != kModeUsb && !isReceiving()) {
        startReceiver();
    }
}

bool CTransport::isReceiving() const {
    return m_listener && m_listener->isRunning();
}

void CTransport::report(const QString& message) {
    m_notifier.showMessage(message);
}

void CTransport::reportError(const char* format, int error) {
    report(QString::asprintf(format, error));
}

bool CTransport::SendText(QByteArrayView text, quint32 address) {
    if (m_mode == kModeTcp && address != CIpv4Address::kBroadcast) {
        return SendTcp(text, address, m_tcpPort);
    }
    return SendUdp(text, address, m_sendPort);
}

bool CTransport::SendUdp(QByteArrayView text, quint32 address, int port) {
    CFileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    // A socket that could not be made shows up as the option that could not be set.
    if (!socket.isValid() || !setOption(socket.get(), SOL_SOCKET, SO_REUSEADDR, 1)) {
        report(QString::fromLatin1(kSetSockOptFailed));
        return false;
    }
    const CAdapterEntry adapter = m_adapters.selectedEntry();
    const sockaddr_in local = CIpv4Address::toSocketAddress(adapter.address, 0);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        reportError(kBindFailed, errno);
        return false;
    }
    const bool broadcast = address == CIpv4Address::kBroadcast;
    if (broadcast && !setOption(socket.get(), SOL_SOCKET, SO_BROADCAST, 1)) {
        report(QString::fromLatin1(kSetSockOptFailed));
        return false;
    }
    if (!sendDatagram(socket.get(), text, address, port, adapter)) {
        reportError(kSendFailed, errno);
        return false;
    }
    emit textSent(text.toByteArray(), address, m_clock.now().time());
    return true;
}

bool CTransport::sendDatagram(int socket, QByteArrayView text, quint32 address, int port,
                              const CAdapterEntry& adapter) {
    const bool broadcast = address == CIpv4Address::kBroadcast;
    const sockaddr_in destination =
        CIpv4Address::toSocketAddress(broadcast ? adapter.broadcastAddress : address, port);
    ssize_t sent = 0;
    if (broadcast && adapter.interfaceIndex > 0) {
        sent = sendThroughInterface(socket, text, destination, adapter.interfaceIndex,
                                    adapter.address);
    } else {
        sent = ::sendto(socket, text.data(), static_cast<std::size_t>(text.size()), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    }
    return sent >= 0;
}

bool CTransport::sendsElsewhere(quint32 address) const {
    return m_mode == kModeTcp && address != CIpv4Address::kBroadcast && m_tcpSocket.isValid() &&
           m_tcpPeer != address;
}

bool CTransport::SendTcp(QByteArrayView text, quint32 address, int port) {
    // A gateway that closed the connection (restarted, timed out) would swallow this text.
    if (m_tcpSocket.isValid() && peerHasClosed(m_tcpSocket.get())) {
        m_tcpSocket.reset();
    }
    if (!m_tcpSocket.isValid() && !connectTcp(address, port)) {
        return false;
    }
    const ssize_t sent =
        ::send(m_tcpSocket.get(), text.data(), static_cast<std::size_t>(text.size()), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(text.size())) {
        reportError(kSendFailed, sent < 0 ? errno : EMSGSIZE);
        // A connection that failed once is not trusted again: the next send connects afresh.
        m_tcpSocket.reset();
        return false;
    }
    emit textSent(text.toByteArray(), m_tcpPeer, m_clock.now().time());
    return true;
}

bool CTransport::connectTcp(quint32 address, int port) {
    CFileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!socket.isValid()) {
        report(QString::asprintf(kTcpSocketFailed, static_cast<long>(errno)));
        return false;
    }
    // From the chosen adapter, as every datagram is.
    const sockaddr_in local = CIpv4Address::toSocketAddress(m_adapters.selectedEntry().address, 0);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        reportError(kBindFailed, errno);
        return false;
    }
    // A gateway that never accepts must not hold the GUI thread for minutes.
    setBlocking(socket.get(), false);
    const sockaddr_in remote = CIpv4Address::toSocketAddress(address, port);
    int error = 0;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            error = 0;
            socklen_t length = sizeof error;
            if (!pollFor(socket.get(), POLLOUT, m_connectWait) ||
                ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                error = errno;
            }
        }
    }
    if (error != 0) {
        reportError(kConnectFailed, error);
        return false;
    }
    setBlocking(socket.get(), true);
    setOption(socket.get(), IPPROTO_TCP, TCP_NODELAY, 1);
    timeval sendWait{2, 0};
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &sendWait, sizeof sendWait);
    m_tcpSocket = std::move(socket);
    m_tcpPeer = address;
    readGreeting();
    return true;
}

void CTransport::readGreeting() {
    // A gateway that accepts and says nothing costs the greeting wait, no more.
    if (!pollFor(m_tcpSocket.get(), POLLIN, m_greetingWait)) {
        return;
    }
    char greeting[kGreetingSize];
    [[maybe_unused]] const ssize_t read =
        ::recv(m_tcpSocket.get(), greeting, sizeof greeting, MSG_DONTWAIT);
}

void CTransport::CloseTcp() {
    if (!m_tcpSocket.isValid()) {
        return;
    }
    if (!m_tcpSocket.reset()) {
        report(QString::asprintf(kCloseFailed, static_cast<long>(errno)));
    }
}

bool CTransport::ProbeFirewall() {
    return SendUdp(QByteArrayView(kProbeText), CIpv4Address::kBroadcast, m_receivePort);
}

void CTransport::StartTransport() {
    StopReceiver();
    if (m_mode == kModeUsb) {
        startSerial();
        return;
    }
    startReceiver();
}

void CTransport::startSerial() {
    const QString devicePath = m_usbPortLocator(CUsbPortFinder::kGatewayProductId);
    if (devicePath.isEmpty()) {
        report(QString::fromLatin1(CUsbPortFinder::kNotFound));
        m_mode = kModeUdp;
        // Back in UDP, replies must be heard at once, not after the next Network Setup.
        startReceiver();
        emit modeChanged(m_mode);
        return;
    }
    if (!m_serial) {
        m_serial = std::make_unique<CSerialPort>();
    }
    // Opening a port that is open already fails, and silently: the gateway stays where
    // it is.
    m_serial->OpenPort(devicePath, CSerialPort::kBaudRate);
}

void CTransport::startReceiver() {
    auto listener = std::make_unique<CUDPListener>(
        m_receivePort, m_adapters.selectedEntry().address, m_inbound, m_firewallSuspect, m_clock);
    connect(listener.get(), &CUDPListener::failed, this, &CTransport::report);
    connect(listener.get(), &CUDPListener::rxQueued, this, &CTransport::rxQueued);
    connect(listener.get(), &CUDPListener::rxBracket, this, &CTransport::rxBracket);
    connect(listener.get(), &CUDPListener::rxBang, this, &CTransport::rxBang);
    listener->Start();
    m_listener = std::move(listener);
}

void CTransport::StopReceiver() {
    if (m_listener) {
        m_listener->StopReceiver();
        m_listener.reset();
    }
}

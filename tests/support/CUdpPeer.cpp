#include "CUdpPeer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

CUdpPeer::CUdpPeer() : m_socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    const int one = 1;
    ::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    const int buffer = 4 << 20;
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
}

CUdpPeer::~CUdpPeer() {
    if (m_socket >= 0) {
        ::close(m_socket);
    }
}

CUdpPeer::CUdpPeer(CUdpPeer&& other) noexcept : m_socket(other.m_socket) {
    other.m_socket = -1;
}

CUdpPeer& CUdpPeer::operator=(CUdpPeer&& other) noexcept {
    if (this != &other) {
        if (m_socket >= 0) {
            ::close(m_socket);
        }
        m_socket = other.m_socket;
        other.m_socket = -1;
    }
    return *this;
}

bool CUdpPeer::bind(quint32 address, int port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(static_cast<quint16>(port));
    return ::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

int CUdpPeer::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

bool CUdpPeer::send(QByteArrayView bytes, quint32 address, int port) {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(static_cast<quint16>(port));
    return ::sendto(m_socket, bytes.data(), static_cast<std::size_t>(bytes.size()), 0,
                    reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == bytes.size();
}

std::optional<CUdpPeer::Datagram> CUdpPeer::receive(int watchdogMs) {
    pollfd watched{m_socket, POLLIN, 0};
    if (::poll(&watched, 1, watchdogMs) <= 0) {
        return std::nullopt;
    }
    char buffer[65536];
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t size = ::recvfrom(m_socket, buffer, sizeof buffer, 0,
                                    reinterpret_cast<sockaddr*>(&sender), &length);
    if (size < 0) {
        return std::nullopt;
    }
    return Datagram{QByteArray(buffer, size), sender.sin_addr.s_addr, ntohs(sender.sin_port)};
}

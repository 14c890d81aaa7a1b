#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// A plain UDP socket for tests: a gateway's end, a hostile host, a second program. Make
// it inside CTestLan::inHost() to put it on a host of the test LAN.
class CUdpPeer {
public:
    struct Datagram {
        QByteArray bytes;
        quint32 sender = 0;  // network byte order
        int senderPort = 0;
    };

    CUdpPeer();
    ~CUdpPeer();
    CUdpPeer(const CUdpPeer&) = delete;
    CUdpPeer& operator=(const CUdpPeer&) = delete;
    CUdpPeer(CUdpPeer&& other) noexcept;
    CUdpPeer& operator=(CUdpPeer&& other) noexcept;

    bool isValid() const { return m_socket >= 0; }
    // Binds to address:port (port 0: any); broadcasts are allowed to go out.
    bool bind(quint32 address, int port);
    int localPort() const;
    bool send(QByteArrayView bytes, quint32 address, int port);
    // The next datagram, or nothing after the watchdog wait (not a timing check: only
    // how long to wait for something that should have come, or should not).
    std::optional<Datagram> receive(int watchdogMs = 5000);

private:
    int m_socket = -1;
};

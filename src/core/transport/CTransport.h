#pragma once

#include "core/transport/CAdapterTable.h"
#include "core/transport/CFileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTime>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class CInboundQueue;
class CSerialPort;
class CSettings;
class CUDPListener;
class IClock;
class IUserNotifier;

// The program's one way to the gateways: UDP datagrams from the selected adapter, one
// kept TCP connection in TCP mode, the receive thread, and the USB serial port. It lives
// on the GUI thread and every send runs there. Failures go to the notifier in the
// program's own words and the operation returns false; nothing is retried.
class CTransport : public QObject {
    Q_OBJECT

public:
    static constexpr int kModeUdp = 0;
    static constexpr int kModeTcp = 1;
    static constexpr int kModeUsb = 2;
    static constexpr int kTcpPort = 23;
    static constexpr const char* kProbeText = "Firewall?";

    // The user's texts; "%d" and "%ld" take the system's error number.
    static constexpr const char* kSetSockOptFailed = "Error:  setsockopt() failed.";
    static constexpr const char* kBindFailed = "Error:%d  bind() failed";
    static constexpr const char* kSendFailed = "Error: %d sendto() failed.";
    static constexpr const char* kTcpSocketFailed = "socket failed gwith error: %ld\n";
    static constexpr const char* kConnectFailed = "connect failed with error: %d\n";
    static constexpr const char* kCloseFailed = "closesocket function failed with error: %ld\n";

    // Finds the USB gateway's device path for a product id; empty when there is none.
    using UsbPortLocator = std::function<QString(quint16 productId)>;

    CTransport(IUserNotifier& notifier, IClock& clock, CInboundQueue& inbound,
               std::atomic<bool>& firewallSuspect, QObject* parent = nullptr);
    ~CTransport() override;

    CTransport(const CTransport&) = delete;
    CTransport& operator=(const CTransport&) = delete;

    // Send port, receive port, default IP and mode.
    void applySettings(const CSettings& settings);
    void storeSettings(CSettings& settings) const;

    int sendPort() const { return m_sendPort; }
    void setSendPort(int port) { m_sendPort = port; }
    int receivePort() const { return m_receivePort; }
    void setReceivePort(int port) { m_receivePort = port; }
    // The TCP gateway, network byte order; 0 is none.
    quint32 defaultIp() const { return m_defaultIp; }
    void setDefaultIp(quint32 address) { m_defaultIp = address; }
    int mode() const { return m_mode; }
    void setMode(int mode);
    // The user's choice of mode. Replies come by UDP in both network modes, so choosing
    // UDP or TCP starts reception when none runs: a network mode is never deaf.
    void selectMode(int mode);
    bool isReceiving() const;
    int tcpPort() const { return m_tcpPort; }
    void setTcpPort(int port) { m_tcpPort = port; }

    CAdapterTable& adapters() { return m_adapters; }
    const CAdapterTable& adapters() const { return m_adapters; }
    void setAdapters(CAdapterTable adapters) { m_adapters = std::move(adapters); }

    // The wait for a TCP gateway's greeting, and for its connection to be accepted.
    void setGreetingWait(std::chrono::milliseconds wait) { m_greetingWait = wait; }
    void setConnectWait(std::chrono::milliseconds wait) { m_connectWait = wait; }
    void setUsbPortLocator(UsbPortLocator locator) { m_usbPortLocator = std::move(locator); }

    // TCP to the gateway in TCP mode unless broadcast; otherwise UDP to the send port.
    bool SendText(QByteArrayView text, quint32 address);
    // One datagram from a fresh socket bound to the selected adapter. A broadcast leaves
    // through the selected adapter only.
    bool SendUdp(QByteArrayView text, quint32 address, int port);
    // On the kept connection, made from the selected adapter; the address counts only
    // while no connection is open. A connection the gateway has closed, or on which a
    // send failed, is dropped, and the next send connects afresh.
    bool SendTcp(QByteArrayView text, quint32 address, int port);
    void CloseTcp();
    bool isTcpConnected() const { return m_tcpSocket.isValid(); }
    // The gateway the kept connection goes to (network byte order); 0 while none is open.
    quint32 tcpPeer() const { return m_tcpSocket.isValid() ? m_tcpPeer : 0; }
    // Whether SendText(text, address) would reach a gateway other than address: in TCP
    // mode every text goes over the one kept connection, wherever it was made to.
    bool sendsElsewhere(quint32 address) const;
    // Broadcasts "Firewall?" to our own receive port; hearing it clears the suspect flag.
    bool ProbeFirewall();
    // Starts reception (UDP and TCP modes) or opens the USB port (USB mode). A receive
    // thread still running is stopped first. Without a USB gateway the mode falls back to
    // UDP, and reception starts.
    void StartTransport();
    void StopReceiver();

    CUDPListener* listener() const { return m_listener.get(); }
    CSerialPort* serialPort() const { return m_serial.get(); }

signals:
    // Re-emitted on this object's thread from the receive thread.
    void rxQueued();
    void rxBracket(QByteArray text);
    void rxBang(QByteArray text);
    // The mode changed by itself (USB gateway missing: back to UDP).
    void modeChanged(int mode);
    // A text left by UDP or TCP (address: where it went, network byte order; a broadcast
    // is 255.255.255.255), at sentAt by the transport's clock.
    void textSent(QByteArray text, quint32 address, QTime sentAt);

private:
    void report(const QString& message);
    void reportError(const char* format, int error);
    bool sendDatagram(int socket, QByteArrayView text, quint32 address, int port,
                      const CAdapterEntry& adapter);
    bool connectTcp(quint32 address, int port);
    void readGreeting();
    void startReceiver();
    void startSerial();

    IUserNotifier& m_notifier;
    IClock& m_clock;
    CInboundQueue& m_inbound;
    std::atomic<bool>& m_firewallSuspect;

    int m_sendPort = 5000;
    int m_receivePort = 4000;
    quint32 m_defaultIp = 0;
    int m_mode = kModeUdp;
    int m_tcpPort = kTcpPort;
    CAdapterTable m_adapters;
    std::chrono::milliseconds m_greetingWait{2000};
    std::chrono::milliseconds m_connectWait{5000};
    UsbPortLocator m_usbPortLocator;

    CFileDescriptor m_tcpSocket;
    quint32 m_tcpPeer = 0;
    std::unique_ptr<CUDPListener> m_listener;
    std::unique_ptr<CSerialPort> m_serial;
};

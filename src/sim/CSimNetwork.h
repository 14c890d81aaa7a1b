#pragma once

#include "core/transport/CFileDescriptor.h"
#include "sim/CSimCommandJournal.h"
#include "sim/CSimNetworkOptions.h"
#include "sim/CSimSite.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class IClock;

// Puts a site on the network: every gateway answers from a UDP socket of its own, on a
// thread of the network's own. A gateway's socket is bound to the gateway's address (or,
// in a network namespace that is the gateway's alone, to any address); broadcasts reach
// the gateways through sockets bound to the broadcast addresses of their subnets. Nothing
// listens on the wildcard address of a shared network, so the site never hears, and never
// answers, a host it was not put beside.
//
// Replies go to the asker's address on the reply port, from the answering gateway's own
// socket, so each gateway answers from its own address. With a TCP port, each gateway also
// takes commands over kept connections, as a gateway's command port does; it answers
// those by UDP too.
class CSimNetwork {
public:
    using Options = CSimNetworkOptions;

    struct Counters {
        CSimSite::Counters site;
        quint64 sent = 0;
        quint64 refused = 0;   // replies to an asker outside the allowed network
        quint64 oversize = 0;  // datagrams too long to be a command
        quint64 tcpCommands = 0;
    };

    // clock: nullptr for the system clock.
    CSimNetwork(CSimSite site, Options options, IClock* clock = nullptr);
    ~CSimNetwork();
    CSimNetwork(const CSimNetwork&) = delete;
    CSimNetwork& operator=(const CSimNetwork&) = delete;

    // A UDP socket for a gateway: address (any: 0) and port, broadcasts allowed. Made on
    // the calling thread, so in the calling thread's network namespace. -1 and the reason
    // in error on failure.
    static int openSocket(quint32 address, int port, QString& error);

    // A listening TCP socket on address:port, made like openSocket().
    static int openTcpListener(quint32 address, int port, QString& error);

    // Hands over a socket that is the gateway's own (made in its namespace, say). start()
    // makes sockets only for gateways that have none.
    void attachGatewaySocket(int gateway, int socket);
    // The same for the gateway's listening TCP socket.
    void attachGatewayTcpListener(int gateway, int socket);

    // Opens the sockets still missing and starts the thread. False with the reason when
    // a socket cannot be made, for example when a gateway's address is on no interface.
    bool start(QString& error);
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

    // Thread-safe: the site is locked while fn runs.
    template <typename F>
    auto withSite(F&& fn) {
        std::lock_guard lock(m_siteMutex);
        return fn(m_site);
    }
    bool pressDiscoverButton(int gateway, quint32 serial);
    // Runs a control line, as the control port does; returns the answer.
    QByteArray control(const QByteArray& line);
    // Makes the thread look at the clock again (after a test moved it).
    void wake();

    Counters counters() const;
    // Every command received, as it came (see CSimCommandJournal).
    CSimCommandJournal& journal() { return m_journal; }
    const Options& options() const { return m_options; }

    // A site of gateways on 127.0.0.2, 127.0.0.3, ... for the demonstration mode: it
    // listens on loopback only and answers only loopback askers. The last unaddressed
    // devices of every bus wait for a UID.
    static std::unique_ptr<CSimNetwork> startDemo(int gateways, int devicesPerGateway,
                                                  const QString& templateFolder, QString& error,
                                                  Options options = {},
                                                  int unaddressedPerGateway = 0);

private:
    struct Listener {
        enum class Kind { Datagrams, Control, TcpListener, TcpConnection };
        Kind kind = Kind::Datagrams;
        CFileDescriptor socket;
        QList<int> gateways;     // who hears what arrives here
        quint32 peer = 0;        // a connection's far end
        CSimArrival arrival;     // where what arrives here was sent to
        bool broadcast = false;  // bound to a broadcast address
        QByteArray pending;      // a connection's bytes not yet taken as a command
        bool closed = false;
    };

    // Connections a gateway keeps at once; more are refused.
    static constexpr int kMaxConnections = 8;

    bool openMissingSockets(QString& error);
    bool openBroadcastSockets(const QList<int>& gateways, QString& error);
    bool openControlSocket(QString& error);
    bool openTcpListeners(QString& error);
    void run();
    void serve(Listener& listener);
    void receiveFrom(Listener& listener);
    void handleControl(Listener& listener);
    void accept(Listener& listener);
    void readConnection(Listener& listener);
    void handleCommand(int gateway, QByteArrayView command, quint32 sender,
                       const CSimArrival& arrival = {});
    // gateways: those of the listener that heard the command.
    CSimCommandJournal::Entry journalEntry(const Listener& listener, const QList<int>& gateways,
                                           QByteArrayView command, quint32 sender);
    // A gateway whose address or listening port moved listens there from now on (when
    // this namespace has the address); its replies leave from there too.
    void followMovedGateway(int gateway);
    static CSimArrival boundArrival(int socket);
    void sendDue();
    qint64 nowMs() const;
    int pollTimeoutMs();

    CSimSite m_site;
    Options m_options;
    std::unique_ptr<IClock> m_ownClock;
    IClock& m_clock;

    mutable std::mutex m_siteMutex;
    std::vector<CFileDescriptor> m_gatewaySockets;  // by gateway index; invalid until opened
    std::vector<bool> m_hasTcpListener;
    std::vector<CSimArrival> m_listeningAt;  // by gateway: where its own socket listens
    std::list<Listener> m_listeners;
    CFileDescriptor m_wakeRead;
    CFileDescriptor m_wakeWrite;
    CSimCommandJournal m_journal;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::atomic<quint64> m_sent{0};
    std::atomic<quint64> m_refused{0};
    std::atomic<quint64> m_oversize{0};
    std::atomic<quint64> m_tcpCommands{0};
};

#include "core/settings/CSettings.h"
#include "core/transport/CInboundQueue.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CSerialPort.h"
#include "core/transport/CTransport.h"
#include "core/transport/CUDPListener.h"
#include "support/CManualClock.h"
#include "support/CRecordingNotifier.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QTest>
#include <future>
#include <mutex>

namespace {

constexpr int kWatchdogMs = 10000;
constexpr int kSendPort = 5000;
constexpr int kReceivePort = 4000;
const quint32 kBroadcast = CIpv4Address::kBroadcast;

quint32 loopback(quint32 last) {
    return CIpv4Address::fromHostOrder(0x7F000000u | last);
}

// A gateway's TCP side: accepts connections on address:port, greets each (or not), and
// keeps what arrives. Runs on a thread of its own so that the caller may block.
class CTcpGatewayStub {
public:
    // hangUpAfterText: each connection is closed by the gateway once a text came on it.
    CTcpGatewayStub(quint32 address, int port, QByteArray greeting, bool hangUpAfterText = false)
        : m_greeting(std::move(greeting)), m_hangUpAfterText(hangUpAfterText) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = address;
        local.sin_port = htons(static_cast<quint16>(port));
        m_listening =
            ::bind(m_listen, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
            ::listen(m_listen, 8) == 0;
        ::pipe(m_wake);
        m_thread = std::thread([this] { serve(); });
    }
    ~CTcpGatewayStub() {
        const char stop = 1;
        [[maybe_unused]] auto written = ::write(m_wake[1], &stop, 1);
        m_thread.join();
        for (int fd : {m_listen, m_wake[0], m_wake[1]}) {
            ::close(fd);
        }
        for (int fd : m_clients) {
            ::close(fd);
        }
    }
    bool isListening() const { return m_listening; }
    QByteArray received() const {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    int connections() const {
        std::lock_guard lock(m_mutex);
        return m_connections;
    }
    int hangUps() const {
        std::lock_guard lock(m_mutex);
        return m_hangUps;
    }
    // The address each connection came from, network byte order.
    QList<quint32> peers() const {
        std::lock_guard lock(m_mutex);
        return m_peers;
    }

private:
    void serve() {
        for (;;) {
            std::vector<pollfd> watched{{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
            for (int fd : m_clients) {
                watched.push_back({fd, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), -1) < 0 || watched[0].revents != 0) {
                return;
            }
            if (watched[1].revents != 0) {
                accept();
            }
            for (std::size_t i = 2; i < watched.size(); ++i) {
                if (watched[i].revents != 0) {
                    read(watched[i].fd);
                }
            }
        }
    }
    void accept() {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int client =
            ::accept4(m_listen, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        if (!m_greeting.isEmpty()) {
            [[maybe_unused]] auto sent = ::send(client, m_greeting.data(), m_greeting.size(), 0);
        }
        std::lock_guard lock(m_mutex);
        m_clients.push_back(client);
        m_peers.append(peer.sin_addr.s_addr);
        ++m_connections;
    }
    void read(int client) {
        char buffer[512];
        const ssize_t size = ::recv(client, buffer, sizeof buffer, 0);
        std::lock_guard lock(m_mutex);
        if (size > 0) {
            m_received.append(buffer, size);
        }
        if (size <= 0 || m_hangUpAfterText) {
            std::erase(m_clients, client);
            ::close(client);
            ++m_hangUps;
        }
    }

    QByteArray m_greeting;
    bool m_hangUpAfterText = false;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    bool m_listening = false;
    std::vector<int> m_clients;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QByteArray m_received;
    QList<quint32> m_peers;
    int m_connections = 0;
    int m_hangUps = 0;
};

CAdapterCandidate candidate(const QString& name, quint32 address) {
    CAdapterCandidate made;
    made.name = name;
    made.kind = CAdapterCandidate::Kind::Ethernet;
    made.up = true;
    made.ipv4Addresses = {address};
    return made;
}

}  // namespace

// Sending: the datagram from the chosen adapter, the broadcast through it only, the one
// kept TCP connection, the firewall probe, and how the transport starts and stops.
class TestTransport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sendsOneDatagramFromTheSelectedAdapter();
    void broadcastLeavesOnlyThroughTheSelectedAdapter_data();
    void broadcastLeavesOnlyThroughTheSelectedAdapter();
    void broadcastGoesByUdpEvenInTcpMode();
    void demoAdapterBroadcastsOnLoopback();
    void bindFailureIsReported();
    void firewallProbeIsHeard();
    void tcpModeKeepsOneConnection();
    void tcpGreetingWaitIsBounded();
    void tcpGreetingIsNotTakenForAReply();
    void tcpConnectFailureIsReported();
    void tcpConnectionTheGatewayClosedIsMadeAfresh();
    void tcpConnectsFromTheSelectedAdapter();
    void secondProgramIsToldThePortIsInUse();
    void restartingTheTransportKeepsThePort();
    void receivedTextsReachTheGuiThread();
    void usbModeWithoutGatewayFallsBackToUdp();
    void settingsRoundTrip();

private:
    CTransport& makeTransport();
    // Selects the adapter of LAN lan from this machine's table.
    bool selectLan(CTransport& transport, int lan);

    CManualClock m_clock{QDateTime(QDate(2026, 3, 1), QTime(9, 30, 0))};
    CRecordingNotifier m_notifier;
    CInboundQueue m_queue;
    std::atomic<bool> m_firewallSuspect{true};
    std::unique_ptr<CTransport> m_transport;
    std::unique_ptr<CTestLan> m_lan;
};

void TestTransport::initTestCase() {
    const QString why = CTestLan::isolateProcess() + CTestLan::whyNoLan();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestTransport::init() {
    m_notifier.clear();
    while (!m_queue.isEmpty()) {
        m_queue.pop();
    }
    m_firewallSuspect = true;
    m_lan = std::make_unique<CTestLan>();
    QVERIFY2(m_lan->addLan(1), qPrintable(m_lan->error()));
    QVERIFY2(m_lan->addHost(1, 2), qPrintable(m_lan->error()));
    QVERIFY2(m_lan->addLan(2), qPrintable(m_lan->error()));
    QVERIFY2(m_lan->addHost(2, 2), qPrintable(m_lan->error()));
    // The routing table prefers LAN 1 for anything it does not know.
    QVERIFY2(m_lan->run({"ip", "route", "add", "default", "via", "10.77.1.2"}),
             qPrintable(m_lan->error()));
}

void TestTransport::cleanup() {
    m_transport.reset();
    m_lan.reset();
}

CTransport& TestTransport::makeTransport() {
    m_transport = std::make_unique<CTransport>(m_notifier, m_clock, m_queue, m_firewallSuspect);
    m_transport->setSendPort(kSendPort);
    m_transport->setReceivePort(kReceivePort);
    m_transport->setAdapters(CAdapterTable::enumerate(m_notifier));
    return *m_transport;
}

bool TestTransport::selectLan(CTransport& transport, int lan) {
    const auto& entries = transport.adapters().entries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].address == CTestLan::programAddress(lan)) {
            return transport.adapters().select(i);
        }
    }
    return false;
}

void TestTransport::sendsOneDatagramFromTheSelectedAdapter() {
    CTransport& transport = makeTransport();
    QVERIFY(selectLan(transport, 2));
    const CTestLan::Host& gateway = *m_lan->host(2, 2);
    CUdpPeer peer = m_lan->inHost(gateway, [] {
        CUdpPeer made;
        made.bind(0, kSendPort);
        return made;
    });

    QVERIFY(transport.SendText("&NAME=?;", gateway.address));
    const auto datagram = peer.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&NAME=?;"));  // no terminating NUL
    QCOMPARE(datagram->sender, CTestLan::programAddress(2));
    QVERIFY(m_notifier.messages().isEmpty());

    // A fresh socket per datagram: the next one comes from another source port.
    QVERIFY(transport.SendUdp("&=?;", gateway.address, kSendPort));
    const auto second = peer.receive(kWatchdogMs);
    QVERIFY(second.has_value());
    QCOMPARE(second->bytes, QByteArray("&=?;"));
    QVERIFY(second->senderPort != datagram->senderPort);
}

void TestTransport::broadcastLeavesOnlyThroughTheSelectedAdapter_data() {
    QTest::addColumn<int>("selectedLan");
    QTest::addColumn<int>("otherLan");
    QTest::newRow("LAN 2, which the routing table does not prefer") << 2 << 1;
    QTest::newRow("LAN 1") << 1 << 2;
}

void TestTransport::broadcastLeavesOnlyThroughTheSelectedAdapter() {
    QFETCH(int, selectedLan);
    QFETCH(int, otherLan);

    CTransport& transport = makeTransport();
    QCOMPARE(transport.adapters().count(), 2);
    QVERIFY(selectLan(transport, selectedLan));
    const CTestLan::Host& chosen = *m_lan->host(selectedLan, 2);
    const CTestLan::Host& other = *m_lan->host(otherLan, 2);
    auto listenOn = [this](const CTestLan::Host& host) {
        return m_lan->inHost(host, [] {
            CUdpPeer made;
            made.bind(0, kSendPort);
            return made;
        });
    };
    CUdpPeer chosenGateway = listenOn(chosen);
    CUdpPeer otherGateway = listenOn(other);

    QVERIFY(transport.SendText("&NAME=?;", kBroadcast));
    const auto heard = chosenGateway.receive(kWatchdogMs);
    QVERIFY(heard.has_value());
    QCOMPARE(heard->bytes, QByteArray("&NAME=?;"));
    QCOMPARE(heard->sender, CTestLan::programAddress(selectedLan));

    // Had the broadcast gone to the other LAN as well, it would be there before this.
    QVERIFY(transport.SendUdp("MARKER", other.address, kSendPort));
    const auto first = otherGateway.receive(kWatchdogMs);
    QVERIFY(first.has_value());
    QCOMPARE(first->bytes, QByteArray("MARKER"));
    QVERIFY(m_notifier.messages().isEmpty());
}

void TestTransport::broadcastGoesByUdpEvenInTcpMode() {
    CTransport& transport = makeTransport();
    transport.setMode(CTransport::kModeTcp);
    QVERIFY(selectLan(transport, 1));
    CUdpPeer gateway = m_lan->inHost(*m_lan->host(1, 2), [] {
        CUdpPeer made;
        made.bind(0, kSendPort);
        return made;
    });
    QVERIFY(transport.SendText("&=?;", kBroadcast));
    const auto heard = gateway.receive(kWatchdogMs);
    QVERIFY(heard.has_value());
    QCOMPARE(heard->bytes, QByteArray("&=?;"));
    QVERIFY(!transport.isTcpConnected());
}

void TestTransport::demoAdapterBroadcastsOnLoopback() {
    CTransport& transport = makeTransport();
    transport.adapters().addDemoAdapter();
    QCOMPARE(transport.adapters().selectedEntry().name, QStringLiteral("Demo (loopback)"));
    CUdpPeer site;
    QVERIFY(site.bind(0, kSendPort));
    QVERIFY(transport.SendText("&NAME=?;", kBroadcast));
    const auto heard = site.receive(kWatchdogMs);
    QVERIFY(heard.has_value());
    QCOMPARE(heard->bytes, QByteArray("&NAME=?;"));
    QCOMPARE(heard->sender, loopback(1));
}

void TestTransport::bindFailureIsReported() {
    CTransport& transport = makeTransport();
    // An adapter whose address this machine does not have (it went away).
    transport.setAdapters(CAdapterTable::fromCandidates(
        {candidate("gone", CIpv4Address::fromDotted("10.99.99.99"))}));
    QVERIFY(!transport.SendText("&NAME=?;", CTestLan::hostAddress(1, 2)));
    QCOMPARE(m_notifier.messages(), QStringList{QStringLiteral("Error:99  bind() failed")});
}

void TestTransport::firewallProbeIsHeard() {
    CTransport& transport = makeTransport();
    QVERIFY(selectLan(transport, 2));
    transport.StartTransport();
    QVERIFY(transport.listener() && transport.listener()->isRunning());
    QVERIFY(m_firewallSuspect.load());

    QVERIFY(transport.ProbeFirewall());
    QTRY_VERIFY_WITH_TIMEOUT(!m_firewallSuspect.load(), kWatchdogMs);
    QVERIFY(m_queue.isEmpty());
    QVERIFY(m_notifier.messages().isEmpty());
}

void TestTransport::tcpModeKeepsOneConnection() {
    CTransport& transport = makeTransport();
    transport.setMode(CTransport::kModeTcp);
    transport.setTcpPort(CTransport::kTcpPort);
    CTcpGatewayStub first(loopback(2), CTransport::kTcpPort, "Ubrix telnet\r\n");
    CTcpGatewayStub second(loopback(3), CTransport::kTcpPort, "Ubrix telnet\r\n");
    QVERIFY(first.isListening() && second.isListening());

    QVERIFY(transport.SendText("&NAME=?;", loopback(2)));
    QVERIFY(transport.isTcpConnected());
    QVERIFY(transport.SendText("&=?;", loopback(3)));
    QTRY_COMPARE_WITH_TIMEOUT(first.received(), QByteArray("&NAME=?;&=?;"), kWatchdogMs);
    QCOMPARE(first.connections(), 1);
    QCOMPARE(second.connections(), 0);
    QVERIFY(second.received().isEmpty());

    // Only closing the connection lets the next send reach another gateway.
    transport.CloseTcp();
    QVERIFY(!transport.isTcpConnected());
    QVERIFY(transport.SendText("&VERSION_HW=RESET;", loopback(3)));
    QTRY_COMPARE_WITH_TIMEOUT(second.received(), QByteArray("&VERSION_HW=RESET;"), kWatchdogMs);
    QCOMPARE(first.connections(), 1);
    QVERIFY(m_notifier.messages().isEmpty());
}

void TestTransport::tcpGreetingWaitIsBounded() {
    CTransport& transport = makeTransport();
    // A gateway that accepts and never says a word, at the default wait.
    CTcpGatewayStub silent(loopback(4), 2323, QByteArray());
    QVERIFY(silent.isListening());
    auto sent = std::async(std::launch::async,
                           [&] { return transport.SendTcp("&NAME=?;", loopback(4), 2323); });
    QCOMPARE(sent.wait_for(std::chrono::milliseconds(kWatchdogMs)), std::future_status::ready);
    QVERIFY(sent.get());
    QTRY_COMPARE_WITH_TIMEOUT(silent.received(), QByteArray("&NAME=?;"), kWatchdogMs);
}

void TestTransport::tcpGreetingIsNotTakenForAReply() {
    CTransport& transport = makeTransport();
    transport.setGreetingWait(std::chrono::milliseconds(kWatchdogMs));
    CTcpGatewayStub gateway(loopback(5), 2323, "Welcome\r\n");
    QVERIFY(transport.SendTcp("a", loopback(5), 2323));
    QVERIFY(transport.SendTcp("b", loopback(5), 2323));
    QTRY_COMPARE_WITH_TIMEOUT(gateway.received(), QByteArray("ab"), kWatchdogMs);
    QVERIFY(m_queue.isEmpty());
}

void TestTransport::tcpConnectFailureIsReported() {
    CTransport& transport = makeTransport();
    QVERIFY(!transport.SendTcp("&NAME=?;", loopback(6), 2323));
    QCOMPARE(m_notifier.messages(),
             QStringList{QStringLiteral("connect failed with error: 111\n")});
    QVERIFY(!transport.isTcpConnected());
    transport.CloseTcp();
    QCOMPARE(m_notifier.messages().size(), 1);
}

void TestTransport::tcpConnectionTheGatewayClosedIsMadeAfresh() {
    CTransport& transport = makeTransport();
    transport.setGreetingWait(std::chrono::milliseconds(0));
    CTcpGatewayStub gateway(loopback(7), 2323, QByteArray(), true);
    QVERIFY(transport.SendTcp("a", loopback(7), 2323));
    QTRY_COMPARE_WITH_TIMEOUT(gateway.hangUps(), 1, kWatchdogMs);

    QVERIFY(transport.SendTcp("b", loopback(7), 2323));
    // Sent before the gateway hung up, "c" would share the second connection.
    QTRY_COMPARE_WITH_TIMEOUT(gateway.hangUps(), 2, kWatchdogMs);
    QVERIFY(transport.SendTcp("c", loopback(7), 2323));
    QTRY_COMPARE_WITH_TIMEOUT(gateway.received(), QByteArray("abc"), kWatchdogMs);
    QCOMPARE(gateway.connections(), 3);
    QVERIFY(m_notifier.messages().isEmpty());
}

void TestTransport::tcpConnectsFromTheSelectedAdapter() {
    CTransport& transport = makeTransport();
    QVERIFY(selectLan(transport, 2));
    transport.setGreetingWait(std::chrono::milliseconds(0));
    CTcpGatewayStub gateway(loopback(8), 2323, QByteArray());
    QVERIFY(transport.SendTcp("&NAME=?;", loopback(8), 2323));
    QTRY_COMPARE_WITH_TIMEOUT(gateway.peers().size(), 1, kWatchdogMs);
    QCOMPARE(gateway.peers().front(), CTestLan::programAddress(2));
}

void TestTransport::secondProgramIsToldThePortIsInUse() {
    CTransport& first = makeTransport();
    first.StartTransport();
    QVERIFY(first.listener()->isRunning());

    CRecordingNotifier otherNotifier;
    CInboundQueue otherQueue;
    std::atomic<bool> otherFlag{true};
    CTransport second(otherNotifier, m_clock, otherQueue, otherFlag);
    second.setReceivePort(kReceivePort);
    second.StartTransport();
    QTRY_COMPARE_WITH_TIMEOUT(
        otherNotifier.messages(),
        QStringList{QStringLiteral("IP Port is already in use\nPossible multiple Vorel running")},
        kWatchdogMs);
    QVERIFY(!second.listener()->isRunning());

    CUdpPeer gateway;
    QVERIFY(gateway.send("!NAME=Lobby;\r\n", loopback(1), kReceivePort));
    QTRY_VERIFY_WITH_TIMEOUT(!m_queue.isEmpty(), kWatchdogMs);
    QVERIFY(otherQueue.isEmpty());
}

void TestTransport::restartingTheTransportKeepsThePort() {
    CTransport& transport = makeTransport();
    transport.StartTransport();
    transport.StartTransport();
    QVERIFY(transport.listener()->isRunning());
    QVERIFY(m_notifier.messages().isEmpty());
    transport.StopReceiver();
    QVERIFY(transport.listener() == nullptr);
    transport.StopReceiver();
}

void TestTransport::receivedTextsReachTheGuiThread() {
    CTransport& transport = makeTransport();
    transport.StartTransport();
    QList<QByteArray> bangs;
    QList<QByteArray> brackets;
    int queued = 0;
    Qt::HANDLE guiThread = QThread::currentThreadId();
    bool allOnGuiThread = true;
    auto onGuiThread = [&] { allOnGuiThread &= QThread::currentThreadId() == guiThread; };
    connect(&transport, &CTransport::rxBang, this, [&](const QByteArray& text) {
        onGuiThread();
        bangs.append(text);
    });
    connect(&transport, &CTransport::rxBracket, this, [&](const QByteArray& text) {
        onGuiThread();
        brackets.append(text);
    });
    connect(&transport, &CTransport::rxQueued, this, [&] {
        onGuiThread();
        ++queued;
    });
    CUdpPeer gateway;
    QVERIFY(gateway.bind(loopback(20), 0));
    QVERIFY(gateway.send("[trace]", loopback(1), kReceivePort));
    QVERIFY(gateway.send("!1.1.0.MOTOR.POSITION=50\r\n", loopback(1), kReceivePort));
    QTRY_COMPARE_WITH_TIMEOUT(queued, 1, kWatchdogMs);
    QTRY_COMPARE_WITH_TIMEOUT(bangs, QList<QByteArray>{"!1.1.0.MOTOR.POSITION=50\r\n"},
                              kWatchdogMs);
    QCOMPARE(brackets, QList<QByteArray>{"[trace]"});
    QCOMPARE(m_queue.pop(), QByteArray("[09:30:00] (127.0.0.20) !1.1.0.MOTOR.POSITION=50"));
    QVERIFY(allOnGuiThread);
}

void TestTransport::usbModeWithoutGatewayFallsBackToUdp() {
    CTransport& transport = makeTransport();
    transport.setMode(CTransport::kModeUsb);
    transport.setUsbPortLocator([](quint16) { return QString(); });
    QList<int> modes;
    connect(&transport, &CTransport::modeChanged, this, [&](int mode) { modes.append(mode); });
    transport.StartTransport();
    QCOMPARE(m_notifier.messages(), QStringList{QStringLiteral("Ubrix not found on USB\n")});
    QCOMPARE(transport.mode(), CTransport::kModeUdp);
    QCOMPARE(modes, QList<int>{CTransport::kModeUdp});
    // Back in UDP, the program hears the gateways again at once.
    QVERIFY(transport.listener() != nullptr);
    QVERIFY(transport.listener()->isRunning());
    QCOMPARE(transport.listener()->port(), kReceivePort);
}

void TestTransport::settingsRoundTrip() {
    CTransport& transport = makeTransport();
    CSettings settings;
    settings.sendPort = 5555;
    settings.recvPort = 4444;
    settings.defaultIp = CIpv4Address::fromDotted("10.77.1.2");
    settings.mode = CTransport::kModeTcp;
    transport.applySettings(settings);
    QCOMPARE(transport.sendPort(), 5555);
    QCOMPARE(transport.receivePort(), 4444);
    QCOMPARE(transport.defaultIp(), settings.defaultIp);
    QCOMPARE(transport.mode(), CTransport::kModeTcp);
    transport.setMode(CTransport::kModeUdp);
    transport.storeSettings(settings);
    QCOMPARE(settings.mode, CTransport::kModeUdp);
    QCOMPARE(settings.sendPort, 5555);
}

QTEST_GUILESS_MAIN(TestTransport)
#include "TestTransport.moc"

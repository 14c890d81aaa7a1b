#include "core/transport/CInboundQueue.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CUDPListener.h"
#include "support/CManualClock.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"

#include <QRandomGenerator>
#include <QTest>
#include <future>

namespace {

constexpr int kPort = 4000;
constexpr int kWatchdogMs = 10000;
const QByteArray kMarker("MARKER");

quint32 loopback(quint32 last) {
    return CIpv4Address::fromHostOrder(0x7F000000u | last);
}

// What the receive thread told the GUI thread, collected on the GUI thread.
class CReceived : public QObject {
public:
    explicit CReceived(CUDPListener& listener) {
        connect(&listener, &CUDPListener::rxQueued, this, [this] { ++queued; });
        connect(&listener, &CUDPListener::rxBang, this,
                [this](const QByteArray& text) { bangs.append(text); });
        connect(&listener, &CUDPListener::rxBracket, this,
                [this](const QByteArray& text) { brackets.append(text); });
        connect(&listener, &CUDPListener::failed, this,
                [this](const QString& text) { failures.append(text); });
    }
    int queued = 0;
    QList<QByteArray> bangs;
    QList<QByteArray> brackets;
    QStringList failures;
};

QList<QByteArray> drain(CInboundQueue& queue) {
    QList<QByteArray> lines;
    while (!queue.isEmpty()) {
        lines.append(queue.pop());
    }
    return lines;
}

}  // namespace

// The receive thread: what it queues, what it routes elsewhere, and that no datagram a
// peer sends can stop it.
class TestUDPListener : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void routesEachDatagram_data();
    void routesEachDatagram();
    void keepsReceivingAfterHostileDatagrams();
    void announcesEveryLineOfABurstInOrder();
    void stampsEachWakeUpWithTheClock();
    void secondListenerOnThePortIsToldItIsInUse();
    void stopReceiverReturnsWhileBlocked();
    void stopReceiverReturnsDuringAFlood();
    void stopReceiverTwiceAndWithoutStart();
    void keepsTheAdapterAddress();

private:
    // Sends the datagram and then a marker, and waits until the marker is queued: all
    // that the datagram caused has happened by then, as loopback keeps the order.
    void sendAndSettle(const QByteArray& datagram);

    CManualClock m_clock{QDateTime(QDate(2026, 3, 1), QTime(14, 3, 9))};
    CInboundQueue m_queue;
    std::atomic<bool> m_firewallSuspect{true};
    std::unique_ptr<CUDPListener> m_listener;
    std::unique_ptr<CReceived> m_received;
    CUdpPeer m_peer;
};

void TestUDPListener::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUDPListener::init() {
    m_clock.set(QDateTime(QDate(2026, 3, 1), QTime(14, 3, 9)));
    m_firewallSuspect = true;
    drain(m_queue);
    m_listener = std::make_unique<CUDPListener>(kPort, 0, m_queue, m_firewallSuspect, m_clock);
    m_received = std::make_unique<CReceived>(*m_listener);
    QVERIFY(m_listener->Start());
    m_peer = CUdpPeer();
    QVERIFY(m_peer.bind(loopback(7), 0));
}

void TestUDPListener::cleanup() {
    m_listener.reset();
    m_received.reset();
}

void TestUDPListener::sendAndSettle(const QByteArray& datagram) {
    QVERIFY(m_peer.send(datagram, loopback(1), kPort));
    QVERIFY(m_peer.send(kMarker, loopback(1), kPort));
    QTRY_VERIFY_WITH_TIMEOUT(
        !m_queue.isEmpty() && m_received->queued > 0 && m_listener->datagramsReceived() >= 2,
        kWatchdogMs);
    // The marker is the last line; wait for it, since an earlier line may come first.
    QList<QByteArray> lines;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            lines += drain(m_queue);
            return !lines.isEmpty() && lines.last().endsWith(kMarker);
        }(),
        kWatchdogMs);
    lines.removeLast();
    for (const QByteArray& line : lines) {
        m_queue.push(line);
    }
}

void TestUDPListener::routesEachDatagram_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QList<QByteArray>>("queuedLines");
    QTest::addColumn<QList<QByteArray>>("bangs");
    QTest::addColumn<QList<QByteArray>>("brackets");
    QTest::addColumn<bool>("firewallSuspect");

    const QByteArray stamp("[14:03:09] (127.0.0.7) ");
    using Lines = QList<QByteArray>;
    QTest::newRow("gateway reply") << QByteArray("&NAME=Lobby;\r\n")
                                   << Lines{stamp + "&NAME=Lobby;"} << Lines{} << Lines{} << true;
    QTest::newRow("probe text exactly")
        << QByteArray("Firewall?") << Lines{} << Lines{} << Lines{} << false;
    QTest::newRow("probe text with CR LF is any text")
        << QByteArray("Firewall?\r\n") << Lines{stamp + "Firewall?"} << Lines{} << Lines{} << true;
    QTest::newRow("probe text longer")
        << QByteArray("Firewall??") << Lines{stamp + "Firewall??"} << Lines{} << Lines{} << true;
    QTest::newRow("trace text never queued") << QByteArray("[KV] frame 12\r\n") << Lines{}
                                             << Lines{} << Lines{"[KV] frame 12\r\n"} << true;
    QTest::newRow("bang signalled raw and queued")
        << QByteArray("!1.2.3.LED.VALUE=10.20.30\r\n") << Lines{stamp + "!1.2.3.LED.VALUE=10.20.30"}
        << Lines{"!1.2.3.LED.VALUE=10.20.30\r\n"} << Lines{} << true;
    QTest::newRow("ABC CR LF DEF")
        << QByteArray("ABC\r\nDEF") << Lines{stamp + "ABC"} << Lines{} << Lines{} << true;
    QTest::newRow("zero length ignored") << QByteArray() << Lines{} << Lines{} << Lines{} << true;
    QTest::newRow("announcement") << QByteArray("+UID12;") << Lines{stamp + "+UID12;"} << Lines{}
                                  << Lines{} << true;
    QTest::newRow("binary kept as bytes")
        << QByteArray("\x01\x00\xfe\xff\x7f", 5)
        << Lines{stamp + QByteArray("\x01\x00\xfe\xff\x7f", 5)} << Lines{} << Lines{} << true;
    const QByteArray longReply = "!NAME=" + QByteArray(294, 'L');
    QTest::newRow("300 bytes cut to 256") << longReply << Lines{stamp + longReply.left(256)}
                                          << Lines{longReply.left(256)} << Lines{} << true;
    const QByteArray exact = "&" + QByteArray(255, 'E');
    QTest::newRow("256 bytes whole") << exact << Lines{stamp + exact} << Lines{} << Lines{} << true;
}

void TestUDPListener::routesEachDatagram() {
    QFETCH(QByteArray, datagram);
    QFETCH(QList<QByteArray>, queuedLines);
    QFETCH(QList<QByteArray>, bangs);
    QFETCH(QList<QByteArray>, brackets);
    QFETCH(bool, firewallSuspect);

    sendAndSettle(datagram);
    QCOMPARE(drain(m_queue), queuedLines);
    // Signals are queued to this thread; the marker's own rxQueued comes after theirs.
    QTRY_COMPARE_WITH_TIMEOUT(m_received->queued, int(queuedLines.size()) + 1, kWatchdogMs);
    QCOMPARE(m_received->bangs, bangs);
    QCOMPARE(m_received->brackets, brackets);
    QCOMPARE(m_firewallSuspect.load(), firewallSuspect);
    QVERIFY(m_received->failures.isEmpty());
    QVERIFY(m_listener->isRunning());
}

void TestUDPListener::keepsReceivingAfterHostileDatagrams() {
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 200; ++i) {
        QByteArray junk(static_cast<qsizetype>(random->bounded(1, 9000)), Qt::Uninitialized);
        for (char& byte : junk) {
            byte = static_cast<char>(random->bounded(256));
        }
        QVERIFY(m_peer.send(junk, loopback(1), kPort));
    }
    QVERIFY(m_peer.send(QByteArray(65000, '!'), loopback(1), kPort));
    QVERIFY(m_peer.send(QByteArray(1, '\0'), loopback(1), kPort));
    sendAndSettle("!NAME=Still here;");
    QVERIFY(m_listener->isRunning());
    QVERIFY(m_received->failures.isEmpty());
    QCOMPARE(drain(m_queue).last(), QByteArray("[14:03:09] (127.0.0.7) !NAME=Still here;"));
    QVERIFY(m_listener->datagramsCut() >= 1);
}

void TestUDPListener::announcesEveryLineOfABurstInOrder() {
    constexpr int kLines = 500;
    for (int i = 0; i < kLines; ++i) {
        QVERIFY(m_peer.send("+UID" + QByteArray::number(i) + ";", loopback(1), kPort));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_received->queued, kLines, kWatchdogMs);
    const QList<QByteArray> lines = drain(m_queue);
    QCOMPARE(lines.size(), kLines);
    for (int i = 0; i < kLines; ++i) {
        QCOMPARE(lines[i], "[14:03:09] (127.0.0.7) +UID" + QByteArray::number(i) + ";");
    }
}

void TestUDPListener::stampsEachWakeUpWithTheClock() {
    sendAndSettle("!NAME=Before;");
    m_clock.set(QDateTime(QDate(2026, 3, 1), QTime(7, 8, 9)));
    sendAndSettle("!NAME=After;");
    QCOMPARE(drain(m_queue), (QList<QByteArray>{"[14:03:09] (127.0.0.7) !NAME=Before;",
                                                "[07:08:09] (127.0.0.7) !NAME=After;"}));
}

void TestUDPListener::secondListenerOnThePortIsToldItIsInUse() {
    CInboundQueue otherQueue;
    std::atomic<bool> otherFlag{true};
    CUDPListener second(kPort, 0, otherQueue, otherFlag, m_clock);
    QStringList messages;
    connect(&second, &CUDPListener::failed, this,
            [&messages](const QString& text) { messages.append(text); });
    QVERIFY(!second.Start());
    QTRY_COMPARE_WITH_TIMEOUT(
        messages,
        QStringList{QStringLiteral("IP Port is already in use\nPossible multiple Vorel running")},
        kWatchdogMs);
    QVERIFY(!second.isRunning());

    // The first one goes on receiving, and the second hears nothing.
    sendAndSettle("!NAME=First;");
    QCOMPARE(drain(m_queue), QList<QByteArray>{"[14:03:09] (127.0.0.7) !NAME=First;"});
    QVERIFY(otherQueue.isEmpty());
}

void TestUDPListener::stopReceiverReturnsWhileBlocked() {
    QVERIFY(m_listener->isRunning());
    auto stopped = std::async(std::launch::async, [this] { m_listener->StopReceiver(); });
    QCOMPARE(stopped.wait_for(std::chrono::milliseconds(kWatchdogMs)), std::future_status::ready);
    QVERIFY(!m_listener->isRunning());

    // The port is free again: a new listener gets it.
    CUDPListener again(kPort, 0, m_queue, m_firewallSuspect, m_clock);
    QVERIFY(again.Start());
}

void TestUDPListener::stopReceiverReturnsDuringAFlood() {
    std::atomic<bool> flooding{true};
    auto flood = std::async(std::launch::async, [&flooding] {
        CUdpPeer sender;
        int sent = 0;
        while (flooding.load() && sent < 2'000'000) {
            sender.send("!NAME=flood;", loopback(1), kPort);
            ++sent;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(m_listener->datagramsReceived() > 1000, kWatchdogMs);
    auto stopped = std::async(std::launch::async, [this] { m_listener->StopReceiver(); });
    const auto status = stopped.wait_for(std::chrono::milliseconds(kWatchdogMs));
    flooding = false;
    flood.wait();
    QCOMPARE(status, std::future_status::ready);
}

void TestUDPListener::stopReceiverTwiceAndWithoutStart() {
    m_listener->StopReceiver();
    m_listener->StopReceiver();
    QVERIFY(!m_listener->isRunning());
    CUDPListener neverStarted(kPort + 1, 0, m_queue, m_firewallSuspect, m_clock);
    neverStarted.StopReceiver();
    QVERIFY(!neverStarted.isRunning());
}

void TestUDPListener::keepsTheAdapterAddress() {
    const quint32 adapter = CIpv4Address::fromDotted("127.0.0.1");
    CUDPListener listener(kPort + 2, adapter, m_queue, m_firewallSuspect, m_clock);
    QCOMPARE(listener.adapterAddress(), adapter);
    QCOMPARE(listener.port(), kPort + 2);
    QVERIFY(listener.Start());
    // It listens on every address, not only the adapter's: a datagram to another local
    // address arrives as well.
    QVERIFY(m_peer.send("!NAME=Any;", loopback(9), kPort + 2));
    QTRY_VERIFY_WITH_TIMEOUT(!m_queue.isEmpty(), kWatchdogMs);
    QCOMPARE(m_queue.pop(), QByteArray("[14:03:09] (127.0.0.7) !NAME=Any;"));
}

QTEST_GUILESS_MAIN(TestUDPListener)
#include "TestUDPListener.moc"

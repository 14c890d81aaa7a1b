#include "core/transport/CInboundQueue.h"
#include "core/transport/CSerialPort.h"
#include "core/transport/CTransport.h"
#include "core/transport/CUsbPortFinder.h"
#include "support/CManualClock.h"
#include "support/CRecordingNotifier.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <QTest>
#include <future>

namespace {

constexpr int kWatchdogMs = 10000;

// A pseudo-terminal pair: the program opens the slave as its port, the test plays the
// gateway on the master.
class CPtyPair {
public:
    CPtyPair() {
        char name[256] = {};
        m_valid = ::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0;
        m_path = QString::fromLocal8Bit(name);
    }
    ~CPtyPair() {
        ::close(m_master);
        ::close(m_slave);
    }
    bool isValid() const { return m_valid; }
    QString path() const { return m_path; }
    int slave() const { return m_slave; }

    // Reads from the gateway's side until `size` bytes came, or the watchdog ends it.
    QByteArray read(qsizetype size) {
        QByteArray got;
        while (got.size() < size) {
            pollfd watched{m_master, POLLIN, 0};
            if (::poll(&watched, 1, kWatchdogMs) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t length = ::read(m_master, buffer, sizeof buffer);
            if (length <= 0) {
                break;
            }
            got.append(buffer, length);
        }
        return got;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    bool m_valid = false;
    QString m_path;
};

}  // namespace

// The USB gateway's serial port: framing, the writer thread, and closing at exit.
class TestSerialPort : public QObject {
    Q_OBJECT

private slots:
    void opensAt57600EightNoneOne();
    void writesTextsInOrderAndUnchanged();
    void openTwiceFails();
    void closesAndStopsTheWriter();
    void destroyingWithTextsQueuedReturns();
    void missingDeviceFails();
    void usbModeOpensTheFoundPort();
};

void TestSerialPort::opensAt57600EightNoneOne() {
    CPtyPair pty;
    QVERIFY(pty.isValid());
    CSerialPort port;
    QVERIFY(port.OpenPort(pty.path()));
    QVERIFY(port.isOpen());
    QCOMPARE(port.devicePath(), pty.path());
    termios settings{};
    QCOMPARE(::tcgetattr(pty.slave(), &settings), 0);
    QCOMPARE(::cfgetospeed(&settings), speed_t(B57600));
    QCOMPARE(::cfgetispeed(&settings), speed_t(B57600));
    QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(settings.c_cflag & PARENB, tcflag_t(0));
    QCOMPARE(settings.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(settings.c_cflag & CRTSCTS, tcflag_t(0));
}

void TestSerialPort::writesTextsInOrderAndUnchanged() {
    CPtyPair pty;
    QVERIFY(pty.isValid());
    CSerialPort port;
    QVERIFY(port.OpenPort(pty.path()));
    QByteArray expected;
    for (int i = 0; i < 50; ++i) {
        const QByteArray text = QByteArray("#1.2.") + QByteArray::number(i) + ".LED=FADE_UP\r\n";
        port.send(text);
        expected += text;
    }
    // Raw: CR and LF go out as they are, nothing is added or translated.
    QCOMPARE(pty.read(expected.size()), expected);
}

void TestSerialPort::openTwiceFails() {
    CPtyPair pty;
    CSerialPort port;
    QVERIFY(port.OpenPort(pty.path()));
    QVERIFY(!port.OpenPort(pty.path()));
    QVERIFY(port.isOpen());
    port.send("&NAME=?;");
    QCOMPARE(pty.read(8), QByteArray("&NAME=?;"));
}

void TestSerialPort::closesAndStopsTheWriter() {
    CPtyPair pty;
    CSerialPort port;
    QVERIFY(port.OpenPort(pty.path()));
    port.send("one;");
    QCOMPARE(pty.read(4), QByteArray("one;"));
    port.Close();
    QVERIFY(!port.isOpen());
    port.send("lost;");
    // Closed means closed: the device can be opened again, and only the new text comes.
    QVERIFY(port.OpenPort(pty.path()));
    port.send("two;");
    QCOMPARE(pty.read(4), QByteArray("two;"));
}

void TestSerialPort::destroyingWithTextsQueuedReturns() {
    CPtyPair pty;
    auto port = std::make_unique<CSerialPort>();
    QVERIFY(port->OpenPort(pty.path()));
    // Nobody reads the gateway's side: the pseudo-terminal's buffer fills and the writer
    // stalls, yet ending the program must not wait for every queued text.
    const QByteArray block(4096, 'x');
    for (int i = 0; i < 200; ++i) {
        port->send(block);
    }
    auto destroyed = std::async(std::launch::async, [&port] { port.reset(); });
    QCOMPARE(destroyed.wait_for(std::chrono::milliseconds(kWatchdogMs)), std::future_status::ready);
}

void TestSerialPort::missingDeviceFails() {
    CSerialPort port;
    QVERIFY(!port.OpenPort(QStringLiteral("/dev/vorel-no-such-port")));
    QVERIFY(!port.isOpen());
    port.send("ignored;");
    port.Close();
}

void TestSerialPort::usbModeOpensTheFoundPort() {
    CPtyPair pty;
    CRecordingNotifier notifier;
    CManualClock clock(QDateTime(QDate(2026, 3, 1), QTime(8, 0, 0)));
    CInboundQueue queue;
    std::atomic<bool> firewallSuspect{true};
    CTransport transport(notifier, clock, queue, firewallSuspect);
    transport.setMode(CTransport::kModeUsb);
    quint16 askedFor = 0;
    transport.setUsbPortLocator([&](quint16 productId) {
        askedFor = productId;
        return pty.path();
    });
    transport.StartTransport();
    QCOMPARE(askedFor, CUsbPortFinder::kGatewayProductId);
    QVERIFY(notifier.messages().isEmpty());
    QCOMPARE(transport.mode(), CTransport::kModeUsb);
    QVERIFY(transport.serialPort() && transport.serialPort()->isOpen());
    QCOMPARE(transport.serialPort()->devicePath(), pty.path());
    // No receive thread runs in USB mode.
    QVERIFY(transport.listener() == nullptr);

    // Started again while the port is open: the open fails silently, the port stays.
    transport.StartTransport();
    QVERIFY(notifier.messages().isEmpty());
    QVERIFY(transport.serialPort()->isOpen());
    transport.serialPort()->send("&=IDENTIFY");
    QCOMPARE(pty.read(10), QByteArray("&=IDENTIFY"));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "TestSerialPort.moc"

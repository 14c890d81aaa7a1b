#include "core/common/CSystemClock.h"
#include "core/lan/CLanScan.h"
#include "core/lan/CLanScanner.h"
#include "core/lan/CNeighbourTable.h"
#include "core/lan/CSystemHostNameResolver.h"
#include "core/lan/CUdpNeighbourProbe.h"
#include "core/transport/CIpv4Address.h"
#include "support/CTestLan.h"

#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <cstring>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kScanLan = 1;
constexpr int kOtherLan = 2;
// Hosts of the scanned LAN; 200 lies beyond the first wave of 128 probes.
const QList<int> kScanHosts{2, 5, 9, 200};
constexpr int kWatchdogMs = 30000;

std::optional<CMacAddress> macOfInterface(const char* name) {
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    const bool ok = ::ioctl(socket, SIOCGIFHWADDR, &request) == 0;
    ::close(socket);
    if (!ok) {
        return std::nullopt;
    }
    std::array<quint8, CMacAddress::kSize> bytes{};
    std::memcpy(bytes.data(), request.ifr_hwaddr.sa_data, bytes.size());
    return CMacAddress(bytes);
}

QByteArray text(const CLanScanRow& row) {
    return row.numberText() + ' ' + row.addressText() + ' ' + row.macText() + ' ' +
           row.name.toLatin1();
}

// The first IPv4 name server the system's resolver asks, from /etc/resolv.conf.
std::optional<quint32> systemNameServer() {
    QFile file(QStringLiteral("/etc/resolv.conf"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        bool ok = false;
        if (fields.size() >= 2 && fields[0] == "nameserver") {
            const quint32 server = CIpv4Address::fromDotted(fields[1], &ok);
            if (ok) {
                return server;
            }
        }
    }
    return std::nullopt;
}

// A name server on this namespace's loopback that knows one reverse name and answers
// "no such name" to everything else.
class CPtrServer {
public:
    CPtrServer(quint32 address, QByteArray question, QByteArray name)
        : m_question(std::move(question)), m_name(std::move(name)) {
        m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        timeval wait{0, 100000};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = address;
        local.sin_port = htons(53);
        m_bound = ::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
        m_thread = std::thread([this] { serve(); });
    }
    ~CPtrServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_socket);
    }
    bool isBound() const { return m_bound; }
    int queries() const { return m_queries; }

private:
    void serve() {
        while (!m_stop) {
            char buffer[512];
            sockaddr_in peer{};
            socklen_t peerSize = sizeof peer;
            const ssize_t size = ::recvfrom(m_socket, buffer, sizeof buffer, 0,
                                            reinterpret_cast<sockaddr*>(&peer), &peerSize);
            if (size < 12) {
                continue;
            }
            ++m_queries;
            const QByteArray reply = answer(QByteArray(buffer, static_cast<int>(size)));
            ::sendto(m_socket, reply.constData(), static_cast<size_t>(reply.size()), 0,
                     reinterpret_cast<const sockaddr*>(&peer), peerSize);
        }
    }
    static QByteArray encoded(const QByteArray& dottedName) {
        QByteArray wire;
        for (const QByteArray& label : dottedName.split('.')) {
            if (!label.isEmpty()) {
                wire += char(label.size()) + label;
            }
        }
        return wire + '\0';
    }
    QByteArray answer(const QByteArray& query) const {
        int end = 12;
        while (end < query.size() && query[end] != 0) {
            end += 1 + static_cast<unsigned char>(query[end]);
        }
        end += 1 + 4;  // the root label, type and class
        const QByteArray question = query.mid(12, end - 12);
        const bool known = question.startsWith(encoded(m_question).chopped(1) + '\0') &&
                           question.endsWith(QByteArray("\x00\x0c\x00\x01", 4));
        QByteArray reply = query.left(2);
        reply += known ? QByteArray("\x81\x80", 2) : QByteArray("\x81\x83", 2);
        reply += QByteArray("\x00\x01", 2);
        reply += known ? QByteArray("\x00\x01", 2) : QByteArray("\x00\x00", 2);
        reply += QByteArray(4, '\0');
        reply += question;
        if (known) {
            const QByteArray data = encoded(m_name);
            reply += QByteArray("\xc0\x0c\x00\x0c\x00\x01\x00\x00\x00\x3c", 10);
            reply += char(data.size() >> 8);
            reply += char(data.size() & 0xff);
            reply += data;
        }
        return reply;
    }

    QByteArray m_question;
    QByteArray m_name;
    int m_socket = -1;
    bool m_bound = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_queries{0};
    std::thread m_thread;
};

}  // namespace

// The scan on a test LAN of host namespaces: the kernel resolves, the neighbour table
// tells, and the rows show who is there, without any privilege of the program.
class TestLanScanOnTestLan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void findsTheHostsOfTheSelectedLan();
    void otherLanIsNotScanned();
    void kernelTableHoldsWhatTheScanFound();
    void scannerOnItsOwnThread();
    void scannerGoesAwayMidScan();
    void namesComeFromTheSystemResolver();

private:
    QList<QByteArray> expectedRows(int lan, const QList<int>& hosts,
                                   const QMap<int, QByteArray>& names = {}) const;
    QList<QByteArray> scan(int lan, CLanScanOptions options = {});

    std::unique_ptr<CTestLan> m_lan;
    QMap<quint32, CMacAddress> m_macs;
};

void TestLanScanOnTestLan::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    if (const QString noLan = CTestLan::whyNoLan(); !noLan.isEmpty()) {
        QSKIP(qPrintable(noLan));
    }
    m_lan = std::make_unique<CTestLan>();
    QVERIFY2(m_lan->addLan(kScanLan), qPrintable(m_lan->error()));
    for (const int host : kScanHosts) {
        QVERIFY2(m_lan->addHost(kScanLan, host), qPrintable(m_lan->error()));
    }
    QVERIFY2(m_lan->addLan(kOtherLan), qPrintable(m_lan->error()));
    QVERIFY2(m_lan->addHost(kOtherLan, 3), qPrintable(m_lan->error()));

    for (const int lan : {kScanLan, kOtherLan}) {
        const auto bridgeMac = macOfInterface(CTestLan::bridgeName(lan).toLatin1().constData());
        QVERIFY(bridgeMac.has_value());
        m_macs.insert(CTestLan::programAddress(lan), *bridgeMac);
    }
    for (const int host : kScanHosts) {
        const CTestLan::Host& made = *m_lan->host(kScanLan, host);
        const auto mac = m_lan->inHost(made, [] { return macOfInterface("eth0"); });
        QVERIFY(mac.has_value());
        m_macs.insert(made.address, *mac);
    }
    const CTestLan::Host& other = *m_lan->host(kOtherLan, 3);
    m_macs.insert(other.address, *m_lan->inHost(other, [] { return macOfInterface("eth0"); }));
}

void TestLanScanOnTestLan::cleanupTestCase() {
    m_lan.reset();
}

QList<QByteArray> TestLanScanOnTestLan::expectedRows(int lan, const QList<int>& hosts,
                                                     const QMap<int, QByteArray>& names) const {
    QList<QByteArray> rows;
    int number = 0;
    for (const int host : hosts) {
        const quint32 address = CTestLan::hostAddress(lan, host);
        rows << QByteArray::number(++number) + ' ' + CIpv4Address::toDotted(address) + ' ' +
                    m_macs.value(address).bracketedText() + ' ' + names.value(host);
    }
    return rows;
}

QList<QByteArray> TestLanScanOnTestLan::scan(int lan, CLanScanOptions options) {
    CUdpNeighbourProbe probe;
    CLanScan scan(probe, std::make_shared<CSystemHostNameResolver>(), CSystemClock::instance(),
                  options);
    std::atomic<bool> stop{false};
    QList<QByteArray> rows;
    const bool completed =
        scan.run(CTestLan::programAddress(lan), stop, [&](const CLanScanBatch& batch) {
            for (const CLanScanRow& row : batch.rows) {
                rows << text(row);
            }
        });
    return completed ? rows : QList<QByteArray>{"not completed"};
}

void TestLanScanOnTestLan::findsTheHostsOfTheSelectedLan() {
    // The machine itself (.1, with the bridge's hardware address) and every host, in
    // address order, numbered by found hosts; nobody has a name on this LAN.
    QCOMPARE(scan(kScanLan), expectedRows(kScanLan, QList<int>{1} + kScanHosts));
}

void TestLanScanOnTestLan::otherLanIsNotScanned() {
    QCOMPARE(scan(kOtherLan), expectedRows(kOtherLan, {1, 3}));
}

void TestLanScanOnTestLan::kernelTableHoldsWhatTheScanFound() {
    // Right after a scan, read the way the scan reads it: the kernel's file, whose
    // reported size is 0. (Later the kernel may drop entries to keep its table small.)
    QCOMPARE(scan(kScanLan).size(), kScanHosts.size() + 1);
    const QHash<quint32, CMacAddress> answered = CNeighbourTable::readFile().answeredHosts();
    for (const int host : kScanHosts) {
        const quint32 address = CTestLan::hostAddress(kScanLan, host);
        QVERIFY(answered.contains(address));
        QCOMPARE(answered.value(address), m_macs.value(address));
    }
    QVERIFY(!answered.contains(CTestLan::hostAddress(kScanLan, 3)));
    QVERIFY(!answered.contains(CTestLan::programAddress(kScanLan)));
}

void TestLanScanOnTestLan::scannerOnItsOwnThread() {
    auto scanner = CLanScanner::forThisMachine();
    QSignalSpy rows(scanner.get(), &CLanScanner::rowsFound);
    QSignalSpy progress(scanner.get(), &CLanScanner::progressChanged);
    QSignalSpy status(scanner.get(), &CLanScanner::statusChanged);
    QSignalSpy finished(scanner.get(), &CLanScanner::finished);
    scanner->start(CTestLan::programAddress(kScanLan));
    QVERIFY(scanner->isScanning());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kWatchdogMs);
    QVERIFY(!scanner->isScanning());

    QList<QByteArray> found;
    for (const QList<QVariant>& batch : rows) {
        for (const CLanScanRow& row : batch[0].value<QList<CLanScanRow>>()) {
            found << text(row);
        }
    }
    QCOMPARE(found, expectedRows(kScanLan, QList<int>{1} + kScanHosts));
    QCOMPARE(progress.back()[0].toInt(), 254);
    // The status names the address the list waits for (hosts the kernel still knows from
    // an earlier scan are through at once), and is a blank at the end.
    QVERIFY(status.front()[0].toString().startsWith(QStringLiteral("10.77.1.")));
    QCOMPARE(status.back()[0].toString(), QStringLiteral(" "));
}

void TestLanScanOnTestLan::scannerGoesAwayMidScan() {
    auto scanner = CLanScanner::forThisMachine();
    QSignalSpy progress(scanner.get(), &CLanScanner::progressChanged);
    scanner->start(CTestLan::programAddress(kScanLan));
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), kWatchdogMs);
    scanner.reset();  // waits for the scan thread; its queued reports die with it

    // Another torn down before its first report, then one that runs to the end: nothing
    // of the scans cut short reaches it.
    auto cut = CLanScanner::forThisMachine();
    cut->start(CTestLan::programAddress(kOtherLan));
    cut.reset();
    auto whole = CLanScanner::forThisMachine();
    QSignalSpy rows(whole.get(), &CLanScanner::rowsFound);
    QSignalSpy finished(whole.get(), &CLanScanner::finished);
    whole->start(CTestLan::programAddress(kScanLan));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kWatchdogMs);
    QList<QByteArray> found;
    for (const QList<QVariant>& batch : rows) {
        for (const CLanScanRow& row : batch[0].value<QList<CLanScanRow>>()) {
            found << text(row);
        }
    }
    QCOMPARE(found, expectedRows(kScanLan, QList<int>{1} + kScanHosts));
}

void TestLanScanOnTestLan::namesComeFromTheSystemResolver() {
    const std::optional<quint32> server = systemNameServer();
    if (!server) {
        QSKIP("no IPv4 name server in /etc/resolv.conf to stand in for");
    }
    // The system's name server, played on this namespace's loopback.
    const QString serverText = QString::fromLatin1(CIpv4Address::toDotted(*server));
    const bool onLoopback = (CIpv4Address::toHostOrder(*server) >> 24) == 127;
    if (!onLoopback) {
        QVERIFY2(m_lan->run({"ip", "addr", "add", serverText + "/32", "dev", "lo"}),
                 qPrintable(m_lan->error()));
    }
    {
        CPtrServer names(*server, "5.1.77.10.in-addr.arpa", "gateway-five.site.test");
        QVERIFY(names.isBound());
        CLanScanOptions options;
        options.nameWait = 10000ms;  // a local answer comes at once; this only guards
        QCOMPARE(scan(kScanLan, options), expectedRows(kScanLan, QList<int>{1} + kScanHosts,
                                                       {{5, "gateway-five.site.test"}}));
        QVERIFY(names.queries() >= 5);  // every found host was looked up
    }
    if (!onLoopback) {
        QVERIFY(m_lan->run({"ip", "addr", "del", serverText + "/32", "dev", "lo"}));
    }
}

QTEST_GUILESS_MAIN(TestLanScanOnTestLan)
#include "TestLanScanOnTestLan.moc"
